// CGLDevice: shader stages, programs linked lazily per stage pair, and the register files
// uploaded before each draw.

#include "Engine/Platform/OpenGL/GLDevice.h"

#include <algorithm>
#include <cstring>

namespace Tess
{

namespace
{

std::string ShaderLog(GLuint shader)
{
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<std::size_t>(std::max(length, 1)), '\0');
    glGetShaderInfoLog(shader, length, nullptr, log.data());
    log.resize(std::strlen(log.c_str()));
    return log;
}

std::string ProgramLog(GLuint program)
{
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<std::size_t>(std::max(length, 1)), '\0');
    glGetProgramInfoLog(program, length, nullptr, log.data());
    log.resize(std::strlen(log.c_str()));
    return log;
}

// Location and declared element count of a uniform array; count 0 when it is not used.
void FindArray(GLuint program, const char* name, GLint& location, GLint& count)
{
    location = glGetUniformLocation(program, name);
    count = 0;
    if (location < 0)
        return;
    GLint uniforms = 0;
    glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &uniforms);
    char buffer[128];
    const std::string wanted = std::string(name) + "[0]";
    for (GLint i = 0; i < uniforms; ++i)
    {
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(program, static_cast<GLuint>(i), sizeof buffer, nullptr, &size, &type, buffer);
        if (wanted == buffer || std::string(name) == buffer)
        {
            count = size;
            return;
        }
    }
}

constexpr const char* kConstantNames[GL::kConstantFileCount] = {
    "tess_VSConstants", "tess_VSConstantsI", "tess_VSConstantsB",
    "tess_PSConstants", "tess_PSConstantsI", "tess_PSConstantsB"};

} // namespace

GLuint CGLDevice::CompileStage(GLenum type, const std::string& wrapped, std::string& errors)
{
    const GLuint shader = glCreateShader(type);
    const char* text = wrapped.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    errors = ShaderLog(shader);
    if (compiled != GL_TRUE)
    {
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

bool CGLDevice::CreateBuiltInPrograms()
{
    std::string errors;
    m_builtInVertex = CompileStage(GL_VERTEX_SHADER, GL::WrapVertexStage(GL::BuiltInVertexStage()), errors);
    m_builtInPixel = CompileStage(GL_FRAGMENT_SHADER, GL::WrapPixelStage(GL::BuiltInPixelStage(), false), errors);
    const GLuint textVertex = CompileStage(GL_VERTEX_SHADER, GL::TextVertexSource(), errors);
    const GLuint textPixel = CompileStage(GL_FRAGMENT_SHADER, GL::TextPixelSource(), errors);
    if (!m_builtInVertex || !m_builtInPixel || !textVertex || !textPixel)
        return false;

    m_textProgram = glCreateProgram();
    glAttachShader(m_textProgram, textVertex);
    glAttachShader(m_textProgram, textPixel);
    glLinkProgram(m_textProgram);
    glDeleteShader(textVertex);
    glDeleteShader(textPixel);
    GLint linked = GL_FALSE;
    glGetProgramiv(m_textProgram, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE)
        return false;
    m_textTargetSize = glGetUniformLocation(m_textProgram, "tess_TargetSize");
    m_textAtlasSize = glGetUniformLocation(m_textProgram, "tess_AtlasSize");
    m_textColor = glGetUniformLocation(m_textProgram, "tess_TextColor");
    m_textAtlas = glGetUniformLocation(m_textProgram, "tess_Atlas");
    m_textBottomUp = glGetUniformLocation(m_textProgram, "tess_BottomUpTarget");
    return true;
}

VertexShaderId CGLDevice::CreateVertexShader(const std::string& source, std::string& errors)
{
    MakeContextCurrent();
    const GLuint name = CompileStage(GL_VERTEX_SHADER, GL::WrapVertexStage(source), errors);
    if (!name)
        return {};
    const std::uint32_t id = NextId();
    m_shaders[id] = GL::Shader{name, true, 0, {}};
    return VertexShaderId{id};
}

PixelShaderId CGLDevice::CreatePixelShader(const std::string& source, std::string& errors)
{
    MakeContextCurrent();
    const GLuint name = CompileStage(GL_FRAGMENT_SHADER, GL::WrapPixelStage(source, false), errors);
    if (!name)
        return {};
    const std::uint32_t id = NextId();
    m_shaders[id] = GL::Shader{name, false, 0, source};
    return PixelShaderId{id};
}

bool CGLDevice::ValidateShaders(VertexShaderId vs, PixelShaderId ps, std::string& errors)
{
    errors.clear();
    MakeContextCurrent();
    return GetProgram(vs.value, ps.value, &errors) != nullptr;
}

void CGLDevice::ForgetPrograms(std::uint32_t vs, std::uint32_t ps)
{
    for (auto it = m_programs.begin(); it != m_programs.end();)
    {
        if ((vs && std::get<0>(it->first) == vs) || (ps && std::get<1>(it->first) == ps))
        {
            if (m_applied.program == it->second.name)
                UseProgram(0);
            glDeleteProgram(it->second.name);
            it = m_programs.erase(it);
        }
        else
        {
            ++it;
        }
    }
}

void CGLDevice::ReleaseVertexShader(VertexShaderId vs)
{
    auto it = m_shaders.find(vs.value);
    if (it == m_shaders.end() || !it->second.vertex)
        return;
    MakeContextCurrent();
    ForgetPrograms(vs.value, 0);
    glDeleteShader(it->second.name);
    m_shaders.erase(it);
    if (m_vertexShader == vs.value)
        m_vertexShader = 0;
}

void CGLDevice::ReleasePixelShader(PixelShaderId ps)
{
    auto it = m_shaders.find(ps.value);
    if (it == m_shaders.end() || it->second.vertex)
        return;
    MakeContextCurrent();
    ForgetPrograms(0, ps.value);
    glDeleteShader(it->second.name);
    glDeleteShader(it->second.alphaTested);
    m_shaders.erase(it);
    if (m_pixelShader == ps.value)
        m_pixelShader = 0;
}

Result CGLDevice::SetVertexShader(VertexShaderId vs)
{
    if (vs)
    {
        auto it = m_shaders.find(vs.value);
        if (it == m_shaders.end() || !it->second.vertex)
            return kInvalidCall;
    }
    m_vertexShader = vs.value;
    return kOk;
}

VertexShaderId CGLDevice::GetVertexShader() const { return VertexShaderId{m_vertexShader}; }

Result CGLDevice::SetPixelShader(PixelShaderId ps)
{
    if (ps)
    {
        auto it = m_shaders.find(ps.value);
        if (it == m_shaders.end() || it->second.vertex)
            return kInvalidCall;
    }
    m_pixelShader = ps.value;
    return kOk;
}

PixelShaderId CGLDevice::GetPixelShader() const { return PixelShaderId{m_pixelShader}; }

GLuint CGLDevice::AlphaTestedPixelStage(std::uint32_t ps)
{
    std::string errors;
    if (!ps)
    {
        if (!m_builtInPixelAlphaTested)
            m_builtInPixelAlphaTested =
                CompileStage(GL_FRAGMENT_SHADER, GL::WrapPixelStage(GL::BuiltInPixelStage(), true), errors);
        return m_builtInPixelAlphaTested;
    }
    GL::Shader& shader = m_shaders.at(ps);
    if (!shader.alphaTested)
        shader.alphaTested = CompileStage(GL_FRAGMENT_SHADER, GL::WrapPixelStage(shader.source, true), errors);
    return shader.alphaTested;
}

GL::Program* CGLDevice::GetProgram(std::uint32_t vs, std::uint32_t ps, std::string* errors, bool alphaTested)
{
    const auto key = std::make_tuple(vs, ps, alphaTested);
    if (auto it = m_programs.find(key); it != m_programs.end())
        return &it->second;

    GLuint vertex = m_builtInVertex, pixel = m_builtInPixel;
    if (vs)
    {
        auto it = m_shaders.find(vs);
        if (it == m_shaders.end() || !it->second.vertex)
            return nullptr;
        vertex = it->second.name;
    }
    if (ps)
    {
        auto it = m_shaders.find(ps);
        if (it == m_shaders.end() || it->second.vertex)
            return nullptr;
        pixel = it->second.name;
    }
    if (alphaTested && !(pixel = AlphaTestedPixelStage(ps)))
        return nullptr;

    GL::Program program;
    program.name = glCreateProgram();
    glAttachShader(program.name, vertex);
    glAttachShader(program.name, pixel);
    glLinkProgram(program.name);
    GLint linked = GL_FALSE;
    glGetProgramiv(program.name, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE)
    {
        if (errors)
            *errors = ProgramLog(program.name);
        glDeleteProgram(program.name);
        return nullptr;
    }

    for (int file = 0; file < GL::kConstantFileCount; ++file)
        FindArray(program.name, kConstantNames[file], program.constants[file], program.constantCounts[file]);
    program.alphaFunc = glGetUniformLocation(program.name, "tess_AlphaFunc");
    program.alphaRef = glGetUniformLocation(program.name, "tess_AlphaRef");
    program.preTransformed = glGetUniformLocation(program.name, "tess_PreTransformed");
    program.viewport = glGetUniformLocation(program.name, "tess_Viewport");
    program.worldViewProjection = glGetUniformLocation(program.name, "tess_WorldViewProjection");
    program.colorStage = glGetUniformLocation(program.name, "tess_ColorStage");
    program.alphaStage = glGetUniformLocation(program.name, "tess_AlphaStage");
    program.bottomUpTarget = glGetUniformLocation(program.name, "tess_BottomUpTarget");

    // Sampler S reads texture unit S, for good.
    UseProgram(program.name);
    for (std::uint32_t stage = 0; stage < kMaxTextureStages; ++stage)
    {
        const std::string name = "tess_Sampler" + std::to_string(stage);
        const GLint location = glGetUniformLocation(program.name, name.c_str());
        if (location >= 0)
            glUniform1i(location, static_cast<GLint>(stage));
    }
    return &m_programs.emplace(key, program).first->second;
}

// ---- Register files ---------------------------------------------------------------------------

Result CGLDevice::SetConstants(GL::EConstantFile file, std::uint32_t start, const void* data, std::uint32_t count)
{
    if (!data && count > 0)
        return kInvalidCall;
    std::uint32_t registers = 0, width = 4;
    void* target = nullptr;
    switch (file)
    {
    case GL::kVSFloat: registers = GL::kFloatRegisters; target = m_vsFloat.data(); break;
    case GL::kPSFloat: registers = GL::kFloatRegisters; target = m_psFloat.data(); break;
    case GL::kVSInt: registers = GL::kIntRegisters; target = m_vsInt.data(); break;
    case GL::kPSInt: registers = GL::kIntRegisters; target = m_psInt.data(); break;
    case GL::kVSBool: registers = GL::kBoolRegisters; width = 1; target = m_vsBool.data(); break;
    case GL::kPSBool: registers = GL::kBoolRegisters; width = 1; target = m_psBool.data(); break;
    default: return kInvalidCall;
    }
    if (std::uint64_t(start) + count > registers)
        return kInvalidCall;
    // Floats and ints are both four bytes; each register holds `width` of them.
    std::memcpy(static_cast<std::uint8_t*>(target) + std::size_t(start) * width * 4, data,
                std::size_t(count) * width * 4);
    ++m_constantVersions[file];
    return kOk;
}

Result CGLDevice::SetVertexShaderConstantF(std::uint32_t start, const float* data, std::uint32_t count)
{
    return SetConstants(GL::kVSFloat, start, data, count);
}

Result CGLDevice::SetVertexShaderConstantI(std::uint32_t start, const int* data, std::uint32_t count)
{
    return SetConstants(GL::kVSInt, start, data, count);
}

Result CGLDevice::SetVertexShaderConstantB(std::uint32_t start, const int* data, std::uint32_t count)
{
    return SetConstants(GL::kVSBool, start, data, count);
}

Result CGLDevice::SetPixelShaderConstantF(std::uint32_t start, const float* data, std::uint32_t count)
{
    return SetConstants(GL::kPSFloat, start, data, count);
}

Result CGLDevice::SetPixelShaderConstantI(std::uint32_t start, const int* data, std::uint32_t count)
{
    return SetConstants(GL::kPSInt, start, data, count);
}

Result CGLDevice::SetPixelShaderConstantB(std::uint32_t start, const int* data, std::uint32_t count)
{
    return SetConstants(GL::kPSBool, start, data, count);
}

// Uploads registers 0 .. N - 1 of each file the program declares, when they changed since
// this program last received them.
void CGLDevice::UploadConstants(GL::Program& program)
{
    for (int file = 0; file < GL::kConstantFileCount; ++file)
    {
        const GLint location = program.constants[file];
        if (location < 0 || (!m_bypassStateCache && program.uploadedVersions[file] == m_constantVersions[file]))
            continue;
        program.uploadedVersions[file] = m_constantVersions[file];
        switch (file)
        {
        case GL::kVSFloat:
            glUniform4fv(location, std::min<GLint>(program.constantCounts[file], GL::kFloatRegisters), m_vsFloat.data());
            break;
        case GL::kPSFloat:
            glUniform4fv(location, std::min<GLint>(program.constantCounts[file], GL::kFloatRegisters), m_psFloat.data());
            break;
        case GL::kVSInt:
            glUniform4iv(location, std::min<GLint>(program.constantCounts[file], GL::kIntRegisters), m_vsInt.data());
            break;
        case GL::kPSInt:
            glUniform4iv(location, std::min<GLint>(program.constantCounts[file], GL::kIntRegisters), m_psInt.data());
            break;
        case GL::kVSBool:
            glUniform1iv(location, std::min<GLint>(program.constantCounts[file], GL::kBoolRegisters), m_vsBool.data());
            break;
        case GL::kPSBool:
            glUniform1iv(location, std::min<GLint>(program.constantCounts[file], GL::kBoolRegisters), m_psBool.data());
            break;
        default:
            break;
        }
    }
}

void CGLDevice::UploadBuiltInUniforms(GL::Program& program)
{
    const int bottomUp = TargetIsBottomUp() ? 1 : 0;
    if (program.bottomUpTarget >= 0 && ShouldApply(bottomUp != program.bottomUpApplied))
    {
        glUniform1i(program.bottomUpTarget, bottomUp);
        program.bottomUpApplied = bottomUp;
    }
    if (program.alphaFunc >= 0)
    {
        const bool alphaTest = m_renderStates[D3DRS_ALPHATESTENABLE] != 0;
        glUniform1i(program.alphaFunc, alphaTest ? static_cast<GLint>(m_renderStates[D3DRS_ALPHAFUNC]) : GLint(D3DCMP_ALWAYS));
        glUniform1f(program.alphaRef, static_cast<float>(m_renderStates[D3DRS_ALPHAREF] & 0xFF));
    }
    if (program.preTransformed >= 0)
    {
        const auto it = m_declarations.find(m_declaration);
        const bool preTransformed = it != m_declarations.end() && it->second.preTransformed;
        glUniform1i(program.preTransformed, preTransformed ? 1 : 0);
        glUniform4f(program.viewport, float(m_viewport.X), float(m_viewport.Y), float(m_viewport.Width),
                    float(m_viewport.Height));
        // Row-vector matrices uploaded as they lie are the column-vector matrices OpenGL
        // multiplies with: p x M == transpose(M) x p.
        const Matrix4 wvp = m_world * m_view * m_projection;
        glUniformMatrix4fv(program.worldViewProjection, 1, GL_FALSE, &wvp.m[0][0]);
    }
    if (program.colorStage >= 0)
    {
        const auto& s = m_stageStates[0];
        glUniform4i(program.colorStage, GLint(s[D3DTSS_COLOROP]), GLint(s[D3DTSS_COLORARG1]), GLint(s[D3DTSS_COLORARG2]), 0);
        glUniform4i(program.alphaStage, GLint(s[D3DTSS_ALPHAOP]), GLint(s[D3DTSS_ALPHAARG1]), GLint(s[D3DTSS_ALPHAARG2]), 0);
    }
}

} // namespace Tess
