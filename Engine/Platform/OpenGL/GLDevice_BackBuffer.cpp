// CGLDevice: the back buffer, where it lives (the window's own framebuffer or an off-screen one),
// how it takes a new size, and Present.

#include "Engine/Platform/OpenGL/GLDevice.h"
#include "Engine/Platform/SDL/SDLDisplayWatch.h"

namespace Tess
{

namespace
{

constexpr GLbitfield kAllBuffers = GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT;

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
    if (Platform::CSDLDisplayWatch::IsLost(m_window))
        return false;
    int windowWidth = 0, windowHeight = 0;
    SDL_GL_GetDrawableSize(m_window, &windowWidth, &windowHeight);
    const std::array<int, 2> size{static_cast<int>(width), static_cast<int>(height)};
    if (std::array<int, 2>{windowWidth, windowHeight} != size || m_windowFramebufferSize.value_or(size) != size)
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

CGLDevice::OffscreenBuffers CGLDevice::CreateOffscreenBackBuffer(std::uint32_t width, std::uint32_t height)
{
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxSize);
    if (width > static_cast<std::uint32_t>(maxSize) || height > static_cast<std::uint32_t>(maxSize))
        return {};
    OffscreenBuffers buffers;
    glGenFramebuffers(1, &buffers.framebuffer);
    glGenRenderbuffers(1, &buffers.color);
    glGenRenderbuffers(1, &buffers.depth);
    glBindRenderbuffer(GL_RENDERBUFFER, buffers.color);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    glBindRenderbuffer(GL_RENDERBUFFER, buffers.depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    glBindFramebuffer(GL_FRAMEBUFFER, buffers.framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers.color);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, buffers.depth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
    {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        DeleteOffscreenBuffers(buffers);
        return {};
    }
    return buffers;
}

void CGLDevice::DeleteOffscreenBuffers(const OffscreenBuffers& buffers)
{
    // Names of 0 (a back buffer in the window) are ignored by OpenGL.
    glDeleteFramebuffers(1, &buffers.framebuffer);
    glDeleteRenderbuffers(1, &buffers.color);
    glDeleteRenderbuffers(1, &buffers.depth);
}

// Drawing goes straight to the window when it is as large as the back buffer; otherwise into an
// off-screen back buffer that Present scales to the window, as a Direct3D back buffer of another
// size is stretched.
bool CGLDevice::PlaceBackBuffer(std::uint32_t width, std::uint32_t height, OffscreenBuffers& place)
{
    place = {};
    if (WindowFitsBackBuffer(width, height))
        return true;
    place = CreateOffscreenBackBuffer(width, height);
    return place.framebuffer != 0;
}

bool CGLDevice::CreateBackBuffer(std::uint32_t width, std::uint32_t height)
{
    OffscreenBuffers place;
    if (!PlaceBackBuffer(width, height, place))
        return false;
    m_backColor = place.color;
    m_backDepth = place.depth;
    glBindFramebuffer(GL_FRAMEBUFFER, place.framebuffer);
    m_applied.framebuffer = place.framebuffer;
    ClearNewStorage(kAllBuffers);

    // Both surfaces hold the device's own reference for as long as it lives.
    const auto addSurface = [&](GL::ESurfaceKind kind, EFormat format, GLuint framebuffer) {
        GL::Surface surface;
        surface.kind = kind;
        surface.refs = 1;
        surface.width = width;
        surface.height = height;
        surface.format = format;
        surface.framebuffer = framebuffer;
        const std::uint32_t id = NextId();
        m_surfaces[id] = surface;
        return id;
    };
    m_backBufferSurface = addSurface(GL::ESurfaceKind::BackBuffer, D3DFMT_X8R8G8B8, place.framebuffer);
    m_depthSurface = addSurface(GL::ESurfaceKind::DepthBuffer, D3DFMT_D24X8, 0);

    m_currentTarget = m_backBufferSurface;
    m_viewport = Viewport{0, 0, width, height, 0.0f, 1.0f};
    return true;
}

// The surfaces keep their ids (and the references held on them); only what stands behind them
// changes. New buffers are made before the old ones go, so a size that cannot be made leaves the
// device as it was.
Result CGLDevice::ResizeBackBuffer(std::uint32_t width, std::uint32_t height)
{
    if (width == 0 || height == 0 || m_inScene)
        return kInvalidCall;
    if (!FindSurface(SurfaceId{m_backBufferSurface}) || !FindSurface(SurfaceId{m_depthSurface}))
        return kFail;
    MakeContextCurrent();
    OffscreenBuffers place;
    const bool placed = PlaceBackBuffer(width, height, place);
    // Placing bound framebuffers behind the applied-state record's back.
    glBindFramebuffer(GL_FRAMEBUFFER, m_applied.framebuffer);
    if (!placed)
        return kFail;
    if (m_currentTarget != m_backBufferSurface)
        SetRenderTarget(0, SurfaceId{m_backBufferSurface});
    GL::Surface& back = *FindSurface(SurfaceId{m_backBufferSurface});
    GL::Surface& depth = *FindSurface(SurfaceId{m_depthSurface});
    back.width = depth.width = width;
    back.height = depth.height = height;
    MoveBackBuffer(back, place);
    m_viewport = Viewport{0, 0, width, height, 0.0f, 1.0f};
    return kOk;
}

void CGLDevice::MoveBackBuffer(GL::Surface& back, const OffscreenBuffers& place)
{
    const OffscreenBuffers previous{back.framebuffer, m_backColor, m_backDepth};
    back.framebuffer = place.framebuffer;
    m_backColor = place.color;
    m_backDepth = place.depth;
    // A bound back buffer stays bound, on its new framebuffer and with the winding that goes
    // with it; a target bound instead stays bound.
    if (m_applied.framebuffer == previous.framebuffer)
        BindFramebuffer(place.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, place.framebuffer);
    ClearNewStorage(kAllBuffers);
    if (place.framebuffer == 0)
        m_windowFramebufferSize = {static_cast<int>(back.width), static_cast<int>(back.height)};
    DeleteOffscreenBuffers(previous);
    glBindFramebuffer(GL_FRAMEBUFFER, m_applied.framebuffer);
}

void CGLDevice::MoveBackBufferOffscreen(GL::Surface& back)
{
    const OffscreenBuffers offscreen = CreateOffscreenBackBuffer(back.width, back.height);
    if (offscreen.framebuffer != 0)
        MoveBackBuffer(back, offscreen);
    glBindFramebuffer(GL_FRAMEBUFFER, m_applied.framebuffer);
}

// Mesa's software driver asks the server for a window's size when it first draws into it after a
// swap; on a dead connection no answer comes, and the viewer crashed in the driver's rasteriser
// threads or not depending on what was on the stack (e2e.window_lost). So once the window is
// lost its framebuffer is never used again: frames are drawn off-screen and shown nowhere.
bool CGLDevice::LeaveLostWindow()
{
    if (!Platform::CSDLDisplayWatch::IsLost(m_window))
        return false;
    GL::Surface* back = FindSurface(SurfaceId{m_backBufferSurface});
    if (back && back->framebuffer == 0)
    {
        MakeContextCurrent();
        MoveBackBufferOffscreen(*back);
    }
    return true;
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

Result CGLDevice::Present()
{
    GL::Surface* back = FindSurface(SurfaceId{m_backBufferSurface});
    if (!back)
        return kFail;
    if (LeaveLostWindow())
        return kOk;
    MakeContextCurrent();
    int windowWidth = 0, windowHeight = 0;
    SDL_GL_GetDrawableSize(m_window, &windowWidth, &windowHeight);
    const bool sameSize = windowWidth == static_cast<int>(back->width) && windowHeight == static_cast<int>(back->height);
    if (back->framebuffer != 0)
    {
        // The blit honours the scissor test and write masks; it must copy everything.
        SetScissor(false, m_applied.scissorBox);
        SetColorMask(0xF);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, back->framebuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        // Row 0 of the back buffer is its top; the window's row 0 is its bottom.
        glBlitFramebuffer(0, 0, static_cast<GLint>(back->width), static_cast<GLint>(back->height), 0,
                          windowHeight, windowWidth, 0, GL_COLOR_BUFFER_BIT, sameSize ? GL_NEAREST : GL_LINEAR);
        glBindFramebuffer(GL_FRAMEBUFFER, m_applied.framebuffer);
    }
    SDL_GL_SwapWindow(m_window);
    m_windowFramebufferSize.reset();
    // The frame just shown was drawn for the window as it was; the next one goes where the
    // window's size now allows.
    const bool inWindow = back->framebuffer == 0;
    if (inWindow && !sameSize)
    {
        MoveBackBufferOffscreen(*back);
    }
    else if (!inWindow && sameSize)
    {
        if (WindowFitsBackBuffer(back->width, back->height))
            MoveBackBuffer(*back, OffscreenBuffers{});
        // The probe bound the window's framebuffer.
        glBindFramebuffer(GL_FRAMEBUFFER, m_applied.framebuffer);
    }
    return kOk;
}

} // namespace Tess
