// CGLDevice: lifetime, the back buffer, stored states, viewport and the frame.

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

    std::uint32_t width = parameters.backBufferWidth, height = parameters.backBufferHeight;
    if (width == 0 || height == 0)
    {
        int w = 0, h = 0;
        SDL_GL_GetDrawableSize(m_window, &w, &h);
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

namespace
{

// Bits of one component of an attachment of the bound framebuffer; 0 where it has none.
GLint AttachmentBits(GLenum attachment, GLenum component)
{
    GLint type = GL_NONE;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &type);
    if (type == GL_NONE)
        return 0;
    GLint bits = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment, component, &bits);
    return bits;
}

} // namespace

bool CGLDevice::WindowFitsBackBuffer(std::uint32_t width, std::uint32_t height) const
{
    int windowWidth = 0, windowHeight = 0;
    SDL_GL_GetDrawableSize(m_window, &windowWidth, &windowHeight);
    if (windowWidth != static_cast<int>(width) || windowHeight != static_cast<int>(height))
        return false;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    const bool fits = AttachmentBits(GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_RED_SIZE) >= 8 &&
                      AttachmentBits(GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_GREEN_SIZE) >= 8 &&
                      AttachmentBits(GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_BLUE_SIZE) >= 8 &&
                      AttachmentBits(GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE) >= 24 &&
                      AttachmentBits(GL_STENCIL, GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE) >= 8;
    // A window whose framebuffer cannot be asked about (no query errors expected) is not used.
    return glGetError() == GL_NO_ERROR && fits;
}

GLuint CGLDevice::CreateOffscreenBackBuffer(std::uint32_t width, std::uint32_t height)
{
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxSize);
    if (width > static_cast<std::uint32_t>(maxSize) || height > static_cast<std::uint32_t>(maxSize))
        return 0;
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glGenRenderbuffers(1, &m_backColor);
    glGenRenderbuffers(1, &m_backDepth);
    glBindRenderbuffer(GL_RENDERBUFFER, m_backColor);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    glBindRenderbuffer(GL_RENDERBUFFER, m_backDepth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_backColor);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, m_backDepth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
    {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        return 0;
    }
    return framebuffer;
}

// Drawing goes straight to the window when it is as large as the back buffer; otherwise into an
// off-screen back buffer that Present scales to the window, as a Direct3D back buffer of another
// size is stretched.
bool CGLDevice::CreateBackBuffer(std::uint32_t width, std::uint32_t height)
{
    GLuint framebuffer = 0;
    if (!WindowFitsBackBuffer(width, height))
    {
        framebuffer = CreateOffscreenBackBuffer(width, height);
        if (framebuffer == 0)
            return false;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    m_applied.framebuffer = framebuffer;
    ClearNewStorage(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);

    GL::Surface back;
    back.kind = GL::ESurfaceKind::BackBuffer;
    back.refs = 1;
    back.width = width;
    back.height = height;
    back.format = D3DFMT_X8R8G8B8;
    back.framebuffer = framebuffer;
    m_backBufferSurface = NextId();
    m_surfaces[m_backBufferSurface] = back;

    GL::Surface depth;
    depth.kind = GL::ESurfaceKind::DepthBuffer;
    depth.refs = 1;
    depth.width = width;
    depth.height = height;
    depth.format = D3DFMT_D24X8;
    m_depthSurface = NextId();
    m_surfaces[m_depthSurface] = depth;

    m_currentTarget = m_backBufferSurface;
    m_viewport = Viewport{0, 0, width, height, 0.0f, 1.0f};
    return true;
}

void CGLDevice::MoveBackBufferOffscreen(GL::Surface& back)
{
    const GLuint framebuffer = CreateOffscreenBackBuffer(back.width, back.height);
    if (framebuffer == 0)
        return;
    ClearNewStorage(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    back.framebuffer = framebuffer;
    // The next draw binds the current target again, whichever framebuffer now stands for it.
    glBindFramebuffer(GL_FRAMEBUFFER, m_applied.framebuffer);
}

void CGLDevice::ClearNewStorage(GLbitfield buffers)
{
    SetScissor(false, m_applied.scissorBox);
    SetColorMask(0xF);
    SetDepth(m_applied.depthTest, true, m_applied.depthFunc);
    glStencilMask(0xFFFFFFFFu);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glClearStencil(0);
    glClear(buffers);
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

Result CGLDevice::Present()
{
    GL::Surface* back = FindSurface(SurfaceId{m_backBufferSurface});
    if (!back)
        return kFail;
    MakeContextCurrent();
    int windowWidth = 0, windowHeight = 0;
    SDL_GL_GetDrawableSize(m_window, &windowWidth, &windowHeight);
    if (back->framebuffer == 0)
    {
        SDL_GL_SwapWindow(m_window);
        if (windowWidth != static_cast<int>(back->width) || windowHeight != static_cast<int>(back->height))
            MoveBackBufferOffscreen(*back);
        return kOk;
    }
    // The blit honours the scissor test and write masks; it must copy everything.
    SetScissor(false, m_applied.scissorBox);
    SetColorMask(0xF);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, back->framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    const bool sameSize = windowWidth == static_cast<int>(back->width) && windowHeight == static_cast<int>(back->height);
    // Row 0 of the back buffer is its top; the window's row 0 is its bottom.
    glBlitFramebuffer(0, 0, static_cast<GLint>(back->width), static_cast<GLint>(back->height), 0,
                      windowHeight, windowWidth, 0, GL_COLOR_BUFFER_BIT, sameSize ? GL_NEAREST : GL_LINEAR);
    SDL_GL_SwapWindow(m_window);
    glBindFramebuffer(GL_FRAMEBUFFER, m_applied.framebuffer);
    return kOk;
}

} // namespace Tess
