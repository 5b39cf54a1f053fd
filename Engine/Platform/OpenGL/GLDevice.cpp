// CGLDevice: lifetime, stored states, viewport and the frame bracket.

#include "Engine/Platform/OpenGL/GLDevice.h"

#include <cstring>

namespace Tess
{

namespace
{

void SetWhiteTexture(GLenum target, GLuint texture)
{
    const std::uint32_t white = 0xFFFFFFFFu;
    glBindTexture(target, texture);
    if (target == GL_TEXTURE_CUBE_MAP)
    {
        for (GLenum face = 0; face < 6; ++face)
            glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGBA8, 1, 1, 0, GL_BGRA,
                         GL_UNSIGNED_INT_8_8_8_8_REV, &white);
    }
    else
    {
        glTexImage2D(target, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, &white);
    }
    glTexParameteri(target, GL_TEXTURE_MAX_LEVEL, 0);
}

} // namespace

std::unique_ptr<CGLDevice> CGLDevice::Create(SDL_Window* window, SDL_GLContext context,
                                             const PresentParameters& parameters)
{
    // From here the device owns the context: a device that fails to set up deletes it.
    std::unique_ptr<CGLDevice> device(new CGLDevice(window, context));
    if (!device->Initialise(parameters))
        return nullptr;
    return device;
}

CGLDevice::CGLDevice(SDL_Window* window, SDL_GLContext context)
    : m_window(window), m_context(context), m_vsFloat(GL::kFloatRegisters * 4, 0.0f),
      m_psFloat(GL::kFloatRegisters * 4, 0.0f), m_vsInt(GL::kIntRegisters * 4, 0),
      m_psInt(GL::kIntRegisters * 4, 0), m_vsBool(GL::kBoolRegisters, 0), m_psBool(GL::kBoolRegisters, 0)
{
#ifdef TESS_GL_NO_STATE_CACHE
    // Debug build: every state reaches OpenGL on every draw, to prove the state cache right or wrong.
    m_bypassStateCache = true;
#endif
}

CGLDevice::~CGLDevice()
{
    // Our objects are deleted in our own context; afterwards the thread gets back the context it
    // had, so that another device still alive keeps drawing.
    SDL_Window* const previousWindow = SDL_GL_GetCurrentWindow();
    const SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
    if (SDL_GL_MakeCurrent(m_window, m_context) == 0)
        DeleteObjects();
    SDL_GL_DeleteContext(m_context);
    if (previousContext != nullptr && previousContext != m_context)
        SDL_GL_MakeCurrent(previousWindow, previousContext);
}

void CGLDevice::MakeContextCurrent()
{
    if (SDL_GL_GetCurrentContext() != m_context)
        SDL_GL_MakeCurrent(m_window, m_context);
}

void CGLDevice::DeleteObjects()
{
    for (auto& [id, texture] : m_textures)
        glDeleteTextures(1, &texture.name);
    for (auto& [id, surface] : m_surfaces)
    {
        if (surface.kind == GL::ESurfaceKind::TextureLevel)
        {
            glDeleteFramebuffers(1, &surface.framebuffer);
            glDeleteRenderbuffers(1, &surface.depthBuffer);
        }
    }
    for (auto& [id, buffer] : m_buffers)
        glDeleteBuffers(1, &buffer.name);
    for (auto& [id, shader] : m_shaders)
    {
        glDeleteShader(shader.name);
        glDeleteShader(shader.alphaTested);
    }
    for (auto& [key, program] : m_programs)
        glDeleteProgram(program.name);
    for (auto& [id, font] : m_fonts)
        glDeleteTextures(1, &font->atlas);
    if (const GL::Surface* back = FindSurface(SurfaceId{m_backBufferSurface}))
    {
        GLuint framebuffer = back->framebuffer;
        glDeleteFramebuffers(1, &framebuffer);
    }
    glDeleteRenderbuffers(1, &m_backColor);
    glDeleteRenderbuffers(1, &m_backDepth);
    glDeleteBuffers(1, &m_streamBuffer);
    glDeleteVertexArrays(1, &m_vertexArray);
    glDeleteSamplers(static_cast<GLsizei>(m_samplers.size()), m_samplers.data());
    glDeleteSamplers(1, &m_textSampler);
    glDeleteTextures(1, &m_whiteTexture2D);
    glDeleteTextures(1, &m_whiteTextureCube);
    glDeleteShader(m_builtInVertex);
    glDeleteShader(m_builtInPixel);
    glDeleteShader(m_builtInPixelAlphaTested);
    glDeleteProgram(m_textProgram);
}

bool CGLDevice::Initialise(const PresentParameters& parameters)
{
    if (SDL_GL_MakeCurrent(m_window, m_context) != 0 || epoxy_gl_version() < 33)
        return false;
    // Present never waits for the retrace.
    SDL_GL_SetSwapInterval(0);
    if (const GLubyte* name = glGetString(GL_RENDERER))
        m_rendererName = reinterpret_cast<const char*>(name);

    // The window's framebuffer takes the window's size when a context is first made current on it.
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(m_window, &w, &h);
    m_windowFramebufferSize = {w, h};
    std::uint32_t width = parameters.backBufferWidth, height = parameters.backBufferHeight;
    if (width == 0 || height == 0)
    {
        width = static_cast<std::uint32_t>(w > 0 ? w : 1);
        height = static_cast<std::uint32_t>(h > 0 ? h : 1);
    }
    if (!CreateBackBuffer(width, height) || !CreateBuiltInPrograms())
        return false;

    glGenVertexArrays(1, &m_vertexArray);
    glBindVertexArray(m_vertexArray);
    glGenBuffers(1, &m_streamBuffer);
    glGenSamplers(static_cast<GLsizei>(m_samplers.size()), m_samplers.data());
    glGenSamplers(1, &m_textSampler);
    glSamplerParameteri(m_textSampler, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glSamplerParameteri(m_textSampler, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glSamplerParameteri(m_textSampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(m_textSampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glGenTextures(1, &m_whiteTexture2D);
    glGenTextures(1, &m_whiteTextureCube);
    SetWhiteTexture(GL_TEXTURE_2D, m_whiteTexture2D);
    SetWhiteTexture(GL_TEXTURE_CUBE_MAP, m_whiteTextureCube);
    glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);

    // Inputs a declaration does not feed read their defaults; every array starts disabled.
    for (GLuint location = 0; location < kAttributeLocationCount; ++location)
        WriteDefaultAttribute(location);

    InitialiseDefaultStates();
    // Make OpenGL agree with the applied-state record, whatever its defaults were: every
    // setter below must reach OpenGL, whether or not the cache is bypassed later on.
    const bool bypass = m_bypassStateCache;
    m_bypassStateCache = true;
    SetCullFace(false, GL_BACK);
    SetPolygonMode(GL_FILL);
    SetDepth(false, true, GL_LESS);
    SetBlend(false, GL_ONE, GL_ZERO, GL_ONE, GL_ZERO, GL_FUNC_ADD);
    SetColorMask(0xF);
    SetScissor(false, {0, 0, 0, 0});
    m_bypassStateCache = bypass;
    m_applied.frontFace = TargetIsBottomUp() ? GL_CW : GL_CCW;
    glFrontFace(m_applied.frontFace);
    BindFramebuffer(CurrentFramebuffer());
    return glGetError() == GL_NO_ERROR;
}

void CGLDevice::InitialiseDefaultStates()
{
    m_renderStates.fill(0);
    m_renderStates[D3DRS_ZENABLE] = D3DZB_TRUE;
    m_renderStates[D3DRS_FILLMODE] = D3DFILL_SOLID;
    m_renderStates[D3DRS_ZWRITEENABLE] = 1;
    m_renderStates[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    m_renderStates[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    m_renderStates[D3DRS_CULLMODE] = D3DCULL_CCW;
    m_renderStates[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    m_renderStates[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    m_renderStates[D3DRS_LIGHTING] = 1;
    m_renderStates[D3DRS_COLORWRITEENABLE] = 0xF;
    m_renderStates[D3DRS_BLENDOP] = D3DBLENDOP_ADD;

    for (std::uint32_t stage = 0; stage < kMaxTextureStages; ++stage)
    {
        auto& s = m_stageStates[stage];
        s.fill(0);
        s[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        s[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        s[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        s[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        s[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        s[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;

        auto& sampler = m_samplerStates[stage];
        sampler.fill(0);
        sampler[D3DSAMP_ADDRESSU] = sampler[D3DSAMP_ADDRESSV] = sampler[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        sampler[D3DSAMP_MAGFILTER] = sampler[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        sampler[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
    }
    m_samplersDirty = 0xFFFF;
    m_texturesDirty = 0xFFFF;
    m_world = m_view = m_projection = Matrix4::Identity();
}

// ---- Stored states --------------------------------------------------------------------------

Result CGLDevice::SetRenderState(std::uint32_t state, std::uint32_t value)
{
    if (state >= m_renderStates.size())
        return kInvalidCall;
    m_renderStates[state] = value;
    return kOk;
}

std::uint32_t CGLDevice::GetRenderState(std::uint32_t state) const
{
    return state < m_renderStates.size() ? m_renderStates[state] : 0;
}

Result CGLDevice::SetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value)
{
    if (stage >= kMaxTextureStages || type >= m_stageStates[stage].size())
        return kInvalidCall;
    m_stageStates[stage][type] = value;
    return kOk;
}

std::uint32_t CGLDevice::GetTextureStageState(std::uint32_t stage, std::uint32_t type) const
{
    if (stage >= kMaxTextureStages || type >= m_stageStates[stage].size())
        return 0;
    return m_stageStates[stage][type];
}

Result CGLDevice::SetSamplerState(std::uint32_t sampler, std::uint32_t type, std::uint32_t value)
{
    if (sampler >= kMaxTextureStages || type >= m_samplerStates[sampler].size())
        return kInvalidCall;
    if (m_samplerStates[sampler][type] != value)
        m_samplersDirty |= 1u << sampler;
    m_samplerStates[sampler][type] = value;
    return kOk;
}

std::uint32_t CGLDevice::GetSamplerState(std::uint32_t sampler, std::uint32_t type) const
{
    if (sampler >= kMaxTextureStages || type >= m_samplerStates[sampler].size())
        return 0;
    return m_samplerStates[sampler][type];
}

Result CGLDevice::SetTexture(std::uint32_t stage, TextureId texture)
{
    if (stage >= kMaxTextureStages)
        return kInvalidCall;
    if (texture && !FindTexture(texture.value))
        return kInvalidCall;
    if (m_stageTextures[stage] != texture.value)
        m_texturesDirty |= 1u << stage;
    m_stageTextures[stage] = texture.value;
    return kOk;
}

TextureId CGLDevice::GetTexture(std::uint32_t stage) const
{
    return stage < kMaxTextureStages ? TextureId{m_stageTextures[stage]} : TextureId{};
}

Result CGLDevice::SetTransform(ETransform which, const Matrix4& matrix)
{
    switch (which)
    {
    case D3DTS_WORLD: m_world = matrix; return kOk;
    case D3DTS_VIEW: m_view = matrix; return kOk;
    case D3DTS_PROJECTION: m_projection = matrix; return kOk;
    }
    return kInvalidCall;
}

Matrix4 CGLDevice::GetTransform(ETransform which) const
{
    switch (which)
    {
    case D3DTS_WORLD: return m_world;
    case D3DTS_VIEW: return m_view;
    case D3DTS_PROJECTION: return m_projection;
    }
    return Matrix4::Identity();
}

// Fixed-function lighting and patches do not exist on this device; the values are kept.
Result CGLDevice::SetMaterial(const Material& material)
{
    m_material = material;
    return kOk;
}

Result CGLDevice::SetLight(std::uint32_t, const Light&) { return kOk; }
Result CGLDevice::LightEnable(std::uint32_t, bool) { return kOk; }

Result CGLDevice::SetNPatchMode(float segments)
{
    m_nPatchSegments = segments;
    return kOk;
}

Result CGLDevice::SetFVF(std::uint32_t fvf)
{
    m_fvf = fvf;
    return kOk;
}

// ---- Viewport ---------------------------------------------------------------------------------

Result CGLDevice::SetViewport(const Viewport& viewport)
{
    const GL::Surface* target = FindSurface(SurfaceId{m_currentTarget});
    if (!target || viewport.Width == 0 || viewport.Height == 0 ||
        std::uint64_t(viewport.X) + viewport.Width > target->width ||
        std::uint64_t(viewport.Y) + viewport.Height > target->height)
        return kInvalidCall;
    m_viewport = viewport;
    return kOk;
}

Result CGLDevice::GetViewport(Viewport& out) const
{
    out = m_viewport;
    return kOk;
}

// ---- Frame ------------------------------------------------------------------------------------

Result CGLDevice::Clear(std::uint32_t flags, Color color, float z, std::uint32_t stencil)
{
    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET)
        mask |= GL_COLOR_BUFFER_BIT;
    if (flags & D3DCLEAR_ZBUFFER)
        mask |= GL_DEPTH_BUFFER_BIT;
    if (flags & D3DCLEAR_STENCIL)
        mask |= GL_STENCIL_BUFFER_BIT;
    if (mask == 0)
        return kInvalidCall;
    MakeContextCurrent();
    glClearColor(((color >> 16) & 0xFF) / 255.0f, ((color >> 8) & 0xFF) / 255.0f, (color & 0xFF) / 255.0f,
                 ((color >> 24) & 0xFF) / 255.0f);
    glClearDepth(z);
    glClearStencil(static_cast<GLint>(stencil));
    BindFramebuffer(CurrentFramebuffer());
    // A clear fills the viewport and ignores the write masks the engine set.
    SetScissor(true, ToGLRows({static_cast<GLint>(m_viewport.X), static_cast<GLint>(m_viewport.Y),
                               static_cast<GLint>(m_viewport.Width), static_cast<GLint>(m_viewport.Height)}));
    SetColorMask(0xF);
    SetDepth(m_applied.depthTest, true, m_applied.depthFunc);
    glStencilMask(0xFFFFFFFFu);
    glClear(mask);
    return kOk;
}

Result CGLDevice::BeginScene()
{
    if (m_inScene)
        return kInvalidCall;
    LeaveLostWindow();
    m_inScene = true;
    return kOk;
}

Result CGLDevice::EndScene()
{
    if (!m_inScene)
        return kInvalidCall;
    m_inScene = false;
    return kOk;
}

} // namespace Tess
