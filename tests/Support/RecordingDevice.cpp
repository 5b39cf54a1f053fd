#include "Support/RecordingDevice.h"
#include "Support/RecordingHelpers.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <regex>
#include <sstream>

namespace Tess
{

using namespace Recording;

// ---- CRecordingDevice: construction and inspection --------------------------------------------

CRecordingDevice::CRecordingDevice(RecordingConfig config, std::shared_ptr<CRecordingLog> log,
                                   std::uint32_t backBufferWidth, std::uint32_t backBufferHeight)
    : m_config(std::move(config)), m_log(std::move(log))
{
    Surface backBuffer;
    backBuffer.kind = Surface::Kind::BackBuffer;
    m_backBuffer = AddSurface(backBuffer);
    Surface depth;
    depth.kind = Surface::Kind::DepthStencil;
    m_depthStencil = AddSurface(depth);
    m_renderTargets[0] = m_backBuffer;
    m_viewport = Viewport{0, 0, backBufferWidth, backBufferHeight, 0.0f, 1.0f};
    m_backBufferWidth = backBufferWidth;
    m_backBufferHeight = backBufferHeight;
}

CRecordingDevice::~CRecordingDevice() = default;

int CRecordingDevice::OutstandingSurfaceReferences() const
{
    int references = 0;
    for (const auto& [id, surface] : m_surfaces)
        references += surface.references;
    return references;
}

int CRecordingDevice::LiveObjectCount() const
{
    return static_cast<int>(m_textureObjects.size() + m_vertexBuffers.size() + m_indexBuffers.size() +
                            m_declarations.size() + m_vertexShaders.size() + m_pixelShaders.size() +
                            m_fonts.size());
}

const std::vector<std::uint8_t>* CRecordingDevice::VertexBufferData(VertexBufferId id) const
{
    const auto it = m_vertexBuffers.find(id.value);
    return it == m_vertexBuffers.end() ? nullptr : &it->second.data;
}

const std::vector<std::uint8_t>* CRecordingDevice::IndexBufferData(IndexBufferId id) const
{
    const auto it = m_indexBuffers.find(id.value);
    return it == m_indexBuffers.end() ? nullptr : &it->second.data;
}

const std::vector<std::uint32_t>* CRecordingDevice::TexelData(TextureId id, ECubeFace face,
                                                                std::uint32_t level) const
{
    const auto it = m_textureObjects.find(id.value);
    if (it == m_textureObjects.end())
        return nullptr;
    const Texture& texture = it->second;
    const std::uint32_t faceIndex = texture.cube ? static_cast<std::uint32_t>(face) : 0u;
    if (faceIndex >= texture.texels.size() || level >= texture.texels[faceIndex].size())
        return nullptr;
    return &texture.texels[faceIndex][level];
}

const std::vector<VertexElement>* CRecordingDevice::DeclarationElements(DeclarationId id) const
{
    const auto it = m_declarations.find(id.value);
    return it == m_declarations.end() ? nullptr : &it->second;
}

const std::string* CRecordingDevice::ShaderSource(VertexShaderId id) const
{
    const auto it = m_vertexShaders.find(id.value);
    return it == m_vertexShaders.end() ? nullptr : &it->second;
}

const std::string* CRecordingDevice::ShaderSource(PixelShaderId id) const
{
    const auto it = m_pixelShaders.find(id.value);
    return it == m_pixelShaders.end() ? nullptr : &it->second;
}

SurfaceId CRecordingDevice::AddSurface(Surface surface)
{
    const SurfaceId id{NextId()};
    m_surfaces[id.value] = surface;
    return id;
}

bool CRecordingDevice::SurfaceSize(SurfaceId id, std::uint32_t& width, std::uint32_t& height) const
{
    SurfaceDesc desc;
    if (!GetSurfaceDesc(id, desc))
        return false;
    width = desc.width;
    height = desc.height;
    return true;
}

// ---- States ------------------------------------------------------------------------------------

Result CRecordingDevice::SetRenderState(std::uint32_t state, std::uint32_t value)
{
    Record(MakeCall(EDeviceOp::SetRenderState, {state, value}));
    m_renderStates[state] = value;
    return kOk;
}

std::uint32_t CRecordingDevice::GetRenderState(std::uint32_t state) const
{
    const auto it = m_renderStates.find(state);
    return it == m_renderStates.end() ? DefaultRenderState(state) : it->second;
}

Result CRecordingDevice::SetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value)
{
    Record(MakeCall(EDeviceOp::SetTextureStageState, {stage, type, value}));
    if (stage >= kMaxTextureStages)
    {
        Error("SetTextureStageState: stage out of range");
        return kInvalidCall;
    }
    m_stageStates[{stage, type}] = value;
    return kOk;
}

std::uint32_t CRecordingDevice::GetTextureStageState(std::uint32_t stage, std::uint32_t type) const
{
    const auto it = m_stageStates.find({stage, type});
    return it == m_stageStates.end() ? DefaultTextureStageState(stage, type) : it->second;
}

Result CRecordingDevice::SetSamplerState(std::uint32_t sampler, std::uint32_t type, std::uint32_t value)
{
    Record(MakeCall(EDeviceOp::SetSamplerState, {sampler, type, value}));
    m_samplerStates[{sampler, type}] = value;
    return kOk;
}

std::uint32_t CRecordingDevice::GetSamplerState(std::uint32_t sampler, std::uint32_t type) const
{
    const auto it = m_samplerStates.find({sampler, type});
    return it == m_samplerStates.end() ? DefaultSamplerState(type) : it->second;
}

Result CRecordingDevice::SetTexture(std::uint32_t stage, TextureId texture)
{
    Record(MakeCall(EDeviceOp::SetTexture, {stage, texture.value}));
    if (stage >= kMaxTextureStages)
    {
        Error("SetTexture: stage out of range");
        return kInvalidCall;
    }
    if (texture && !m_textureObjects.count(texture.value))
        Error("SetTexture: unknown texture " + std::to_string(texture.value));
    m_textures[stage] = texture;
    return kOk;
}

TextureId CRecordingDevice::GetTexture(std::uint32_t stage) const
{
    return stage < kMaxTextureStages ? m_textures[stage] : TextureId{};
}

Result CRecordingDevice::SetTransform(ETransform which, const Matrix4& matrix)
{
    DeviceCall call = MakeCall(EDeviceOp::SetTransform, {which});
    call.matrix = matrix;
    Record(std::move(call));
    switch (which)
    {
    case D3DTS_WORLD: m_world = matrix; break;
    case D3DTS_VIEW: m_view = matrix; break;
    case D3DTS_PROJECTION: m_projection = matrix; break;
    default: Error("SetTransform: unknown transform"); return kInvalidCall;
    }
    return kOk;
}

Matrix4 CRecordingDevice::GetTransform(ETransform which) const
{
    switch (which)
    {
    case D3DTS_WORLD: return m_world;
    case D3DTS_VIEW: return m_view;
    case D3DTS_PROJECTION: return m_projection;
    default: return Matrix4::Identity();
    }
}

Result CRecordingDevice::SetMaterial(const Material&)
{
    Record(MakeCall(EDeviceOp::SetMaterial));
    return kOk;
}

Result CRecordingDevice::SetLight(std::uint32_t index, const Light&)
{
    Record(MakeCall(EDeviceOp::SetLight, {index}));
    return kOk;
}

Result CRecordingDevice::LightEnable(std::uint32_t index, bool enable)
{
    Record(MakeCall(EDeviceOp::LightEnable, {index, enable ? 1u : 0u}));
    return kOk;
}

Result CRecordingDevice::SetNPatchMode(float segments)
{
    Record(MakeCall(EDeviceOp::SetNPatchMode, {Bits(segments)}));
    return kOk;
}

Result CRecordingDevice::SetFVF(std::uint32_t fvf)
{
    Record(MakeCall(EDeviceOp::SetFVF, {fvf}));
    m_fvf = fvf;
    return kOk;
}

// ---- Shaders -------------------------------------------------------------------------------

// A GLSL source compiles unless a line holds "#error"; the message then names that line,
// honouring "#line N" directives the way a GLSL compiler does.
std::uint32_t CRecordingDevice::CheckShader(const std::string& source, bool vertex, std::string& errors)
{
    if (m_config.shaderLanguage == EShaderLanguage::D3D9Assembly)
        return CheckAssembly(source, vertex, errors) ? NextId() : 0;
    std::istringstream lines(source);
    std::string line;
    int lineNumber = 1;
    while (std::getline(lines, line))
    {
        const std::size_t first = line.find_first_not_of(" \t");
        const std::string trimmed = first == std::string::npos ? std::string() : line.substr(first);
        if (trimmed.rfind("#line", 0) == 0)
        {
            lineNumber = std::atoi(trimmed.c_str() + 5);
            continue;
        }
        const std::size_t error = trimmed.find("#error");
        if (error != std::string::npos)
        {
            errors = "0:" + std::to_string(lineNumber) + "(1): error: " + trimmed.substr(error) + "\n";
            return 0;
        }
        ++lineNumber;
    }
    errors.clear();
    return NextId();
}

VertexShaderId CRecordingDevice::CreateVertexShader(const std::string& source, std::string& errors)
{
    DeviceCall call = MakeCall(EDeviceOp::CreateVertexShader);
    call.text = source;
    Record(std::move(call));
    const VertexShaderId id{CheckShader(source, true, errors)};
    if (id)
        m_vertexShaders[id.value] = source;
    return id;
}

PixelShaderId CRecordingDevice::CreatePixelShader(const std::string& source, std::string& errors)
{
    DeviceCall call = MakeCall(EDeviceOp::CreatePixelShader);
    call.text = source;
    Record(std::move(call));
    const PixelShaderId id{CheckShader(source, false, errors)};
    if (id)
        m_pixelShaders[id.value] = source;
    return id;
}

// Stages link when both exist and each has its main function: a stage of helper functions alone
// compiles but does not link, as with a GLSL linker.
bool CRecordingDevice::ValidateShaders(VertexShaderId vs, PixelShaderId ps, std::string& errors)
{
    Record(MakeCall(EDeviceOp::ValidateShaders, {vs.value, ps.value}));
    const auto vertex = m_vertexShaders.find(vs.value);
    const auto pixel = m_pixelShaders.find(ps.value);
    if ((vs && vertex == m_vertexShaders.end()) || (ps && pixel == m_pixelShaders.end()))
    {
        errors = "error: linking a shader that does not exist\n";
        return false;
    }
    if (m_config.shaderLanguage == EShaderLanguage::D3D9Assembly)
        return LinkAssembly(vs ? &vertex->second : nullptr, ps ? &pixel->second : nullptr, errors);
    const std::regex main(R"(\bvoid\s+main\s*\()");
    const bool vertexHasMain = !vs || std::regex_search(vertex->second, main);
    const bool pixelHasMain = !ps || std::regex_search(pixel->second, main);
    if (!vertexHasMain || !pixelHasMain)
    {
        errors = std::string("error: ") + (vertexHasMain ? "fragment" : "vertex") + " shader lacks `main'\n";
        return false;
    }
    errors.clear();
    return true;
}

void CRecordingDevice::ReleaseVertexShader(VertexShaderId vs)
{
    Record(MakeCall(EDeviceOp::ReleaseVertexShader, {vs.value}));
    if (!m_vertexShaders.erase(vs.value))
        Error("ReleaseVertexShader: unknown shader");
    if (m_vertexShader == vs)
        m_vertexShader = {};
}

void CRecordingDevice::ReleasePixelShader(PixelShaderId ps)
{
    Record(MakeCall(EDeviceOp::ReleasePixelShader, {ps.value}));
    if (!m_pixelShaders.erase(ps.value))
        Error("ReleasePixelShader: unknown shader");
    if (m_pixelShader == ps)
        m_pixelShader = {};
}

Result CRecordingDevice::SetVertexShader(VertexShaderId vs)
{
    Record(MakeCall(EDeviceOp::SetVertexShader, {vs.value}));
    if (vs && !m_vertexShaders.count(vs.value))
        Error("SetVertexShader: unknown shader");
    m_vertexShader = vs;
    return kOk;
}

Result CRecordingDevice::SetPixelShader(PixelShaderId ps)
{
    Record(MakeCall(EDeviceOp::SetPixelShader, {ps.value}));
    if (ps && !m_pixelShaders.count(ps.value))
        Error("SetPixelShader: unknown shader");
    m_pixelShader = ps;
    return kOk;
}

namespace
{
Result StoreConstants(CRecordingLog& log, float* registers, std::uint32_t start, const float* data,
                      std::uint32_t count)
{
    if (start + count > kMaxConstantRegisters || (count > 0 && !data))
    {
        log.AddError("shader constants outside the 256 registers");
        return kInvalidCall;
    }
    if (count > 0)
        std::memcpy(registers + 4 * start, data, count * 4 * sizeof(float));
    return kOk;
}
} // namespace

Result CRecordingDevice::SetVertexShaderConstantF(std::uint32_t start, const float* data, std::uint32_t count)
{
    DeviceCall call = MakeCall(EDeviceOp::SetVertexShaderConstantF, {start, count});
    call.bytes = BytesOf(data, data ? 4u * count : 0u);
    Record(std::move(call));
    return StoreConstants(*m_log, m_vertexConstants, start, data, count);
}

Result CRecordingDevice::SetVertexShaderConstantI(std::uint32_t start, const int* data, std::uint32_t count)
{
    DeviceCall call = MakeCall(EDeviceOp::SetVertexShaderConstantI, {start, count});
    call.bytes = BytesOf(data, data ? 4u * count : 0u);
    Record(std::move(call));
    return kOk;
}

Result CRecordingDevice::SetVertexShaderConstantB(std::uint32_t start, const int* data, std::uint32_t count)
{
    DeviceCall call = MakeCall(EDeviceOp::SetVertexShaderConstantB, {start, count});
    call.bytes = BytesOf(data, data ? count : 0u);
    Record(std::move(call));
    return kOk;
}

Result CRecordingDevice::SetPixelShaderConstantF(std::uint32_t start, const float* data, std::uint32_t count)
{
    DeviceCall call = MakeCall(EDeviceOp::SetPixelShaderConstantF, {start, count});
    call.bytes = BytesOf(data, data ? 4u * count : 0u);
    Record(std::move(call));
    return StoreConstants(*m_log, m_pixelConstants, start, data, count);
}

Result CRecordingDevice::SetPixelShaderConstantI(std::uint32_t start, const int* data, std::uint32_t count)
{
    DeviceCall call = MakeCall(EDeviceOp::SetPixelShaderConstantI, {start, count});
    call.bytes = BytesOf(data, data ? 4u * count : 0u);
    Record(std::move(call));
    return kOk;
}

Result CRecordingDevice::SetPixelShaderConstantB(std::uint32_t start, const int* data, std::uint32_t count)
{
    DeviceCall call = MakeCall(EDeviceOp::SetPixelShaderConstantB, {start, count});
    call.bytes = BytesOf(data, data ? count : 0u);
    Record(std::move(call));
    return kOk;
}

// ---- Viewport and render targets -----------------------------------------------------------

Result CRecordingDevice::SetViewport(const Viewport& viewport)
{
    Record(MakeCall(EDeviceOp::SetViewport, {viewport.X, viewport.Y, viewport.Width, viewport.Height,
                                             Bits(viewport.MinZ), Bits(viewport.MaxZ)}));
    m_viewport = viewport;
    return kOk;
}

Result CRecordingDevice::GetViewport(Viewport& out) const
{
    out = m_viewport;
    return kOk;
}

SurfaceId CRecordingDevice::GetRenderTarget(std::uint32_t index)
{
    Record(MakeCall(EDeviceOp::GetRenderTarget, {index}));
    if (index >= std::size(m_renderTargets) || !m_renderTargets[index])
        return {};
    ++m_surfaces[m_renderTargets[index].value].references;
    return m_renderTargets[index];
}

Result CRecordingDevice::SetRenderTarget(std::uint32_t index, SurfaceId surface)
{
    Record(MakeCall(EDeviceOp::SetRenderTarget, {index, surface.value}));
    if (index >= std::size(m_renderTargets) || (index == 0 && !surface))
    {
        Error("SetRenderTarget: target 0 cannot be unset");
        return kInvalidCall;
    }
    std::uint32_t width = 0, height = 0;
    if (surface && !SurfaceSize(surface, width, height))
    {
        Error("SetRenderTarget: unknown surface");
        return kInvalidCall;
    }
    m_renderTargets[index] = surface;
    if (index == 0)
        m_viewport = Viewport{0, 0, width, height, 0.0f, 1.0f};
    return kOk;
}

SurfaceId CRecordingDevice::GetDepthStencilSurface()
{
    Record(MakeCall(EDeviceOp::GetDepthStencilSurface));
    ++m_surfaces[m_depthStencil.value].references;
    return m_depthStencil;
}

bool CRecordingDevice::GetSurfaceDesc(SurfaceId id, SurfaceDesc& out) const
{
    const auto it = m_surfaces.find(id.value);
    if (it == m_surfaces.end())
        return false;
    const Surface& surface = it->second;
    out = SurfaceDesc{};
    switch (surface.kind)
    {
    case Surface::Kind::BackBuffer:
        out.format = D3DFMT_X8R8G8B8;
        out.usage = D3DUSAGE_RENDERTARGET;
        out.width = m_backBufferWidth;
        out.height = m_backBufferHeight;
        return true;
    case Surface::Kind::DepthStencil:
        out.format = D3DFMT_D24X8;
        out.usage = D3DUSAGE_DEPTHSTENCIL;
        out.width = m_backBufferWidth;
        out.height = m_backBufferHeight;
        return true;
    case Surface::Kind::TextureLevel:
        return GetLevelDesc(surface.texture, surface.level, out);
    }
    return false;
}

void CRecordingDevice::ReleaseSurface(SurfaceId id)
{
    Record(MakeCall(EDeviceOp::ReleaseSurface, {id.value}));
    const auto it = m_surfaces.find(id.value);
    if (it == m_surfaces.end() || it->second.references <= 0)
    {
        Error("ReleaseSurface: released more often than acquired");
        return;
    }
    --it->second.references;
}

Result CRecordingDevice::ResizeBackBuffer(std::uint32_t width, std::uint32_t height)
{
    Record(MakeCall(EDeviceOp::ResizeBackBuffer, {width, height}));
    if (m_inScene || width == 0 || height == 0)
    {
        Error(m_inScene ? "ResizeBackBuffer inside a scene" : "ResizeBackBuffer to an empty size");
        return kInvalidCall;
    }
    // The surfaces keep their ids; their descriptions follow these two.
    m_backBufferWidth = width;
    m_backBufferHeight = height;
    m_renderTargets[0] = m_backBuffer;
    m_viewport = Viewport{0, 0, width, height, 0.0f, 1.0f};
    return kOk;
}

// ---- Frame ---------------------------------------------------------------------------------

Result CRecordingDevice::Clear(std::uint32_t flags, Color color, float z, std::uint32_t stencil)
{
    Record(MakeCall(EDeviceOp::Clear, {flags, color, Bits(z), stencil}));
    return kOk;
}

Result CRecordingDevice::BeginScene()
{
    Record(MakeCall(EDeviceOp::BeginScene));
    if (m_inScene)
        Error("BeginScene inside a scene");
    m_inScene = true;
    return kOk;
}

Result CRecordingDevice::EndScene()
{
    Record(MakeCall(EDeviceOp::EndScene));
    if (!m_inScene)
        Error("EndScene without BeginScene");
    m_inScene = false;
    return kOk;
}

Result CRecordingDevice::Present()
{
    Record(MakeCall(EDeviceOp::Present));
    if (m_inScene)
        Error("Present inside a scene");
    return kOk;
}

} // namespace Tess
