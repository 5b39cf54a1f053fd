#include "Engine/Platform/OpenGL/GLGraphicsSystem.h"

#include "Engine/Platform/OpenGL/GLDevice.h"
#include "Engine/Platform/SDL/SDLEvents.h"
#include "Engine/Platform/SDL/SDLHandles.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace Tess
{

namespace
{

constexpr int kDefaultDpi = 96;

void RequestCoreContext()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    // Framebuffer attributes stay as the window was created with: a context whose
    // configuration differs from the window's cannot be made current on it.
}

// The context current on this thread, put back after making and deleting contexts of our own:
// a device that is still alive draws through it.
struct CurrentContext
{
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    SDL_GLContext context = SDL_GL_GetCurrentContext();

    void Restore() const
    {
        if (context != nullptr)
            SDL_GL_MakeCurrent(window, context);
    }
};

// Full-screen at the back-buffer size; the desktop's own mode when the display refuses it.
void MakeFullScreen(SDL_Window* window, std::uint32_t width, std::uint32_t height)
{
    SDL_DisplayMode mode{};
    if (SDL_GetWindowDisplayMode(window, &mode) == 0)
    {
        mode.w = static_cast<int>(width);
        mode.h = static_cast<int>(height);
        SDL_SetWindowDisplayMode(window, &mode);
    }
    if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) != 0)
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
}

} // namespace

std::unique_ptr<IGraphicsSystem> CreateGraphicsSystem(std::uint32_t sdkVersion)
{
    if (sdkVersion != kSdkVersion)
        return nullptr;
    return CGLGraphicsSystem::Create();
}

std::unique_ptr<CGLGraphicsSystem> CGLGraphicsSystem::Create()
{
    Platform::ChooseVisibleVideoDrivers();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return nullptr;
    return std::unique_ptr<CGLGraphicsSystem>(new CGLGraphicsSystem());
}

CGLGraphicsSystem::~CGLGraphicsSystem()
{
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool CGLGraphicsSystem::IsSoftwareRenderer(const std::string& renderer)
{
    for (const char* software : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast", "SWR"})
        if (renderer.find(software) != std::string::npos)
            return true;
    return false;
}

void CGLGraphicsSystem::Probe()
{
    if (m_probed)
        return;
    m_probed = true;
    const CurrentContext previous;
    RequestCoreContext();
    SDL_Window* window = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window)
        return;
    if (SDL_GLContext context = SDL_GL_CreateContext(window))
    {
        if (epoxy_gl_version() >= 33)
        {
            m_contextAvailable = true;
            if (const GLubyte* name = glGetString(GL_RENDERER))
                m_renderer = reinterpret_cast<const char*>(name);
            m_hardware = !IsSoftwareRenderer(m_renderer);
            glGetIntegerv(GL_MAX_TEXTURE_SIZE, &m_maxTextureSize);
            glGetIntegerv(GL_MAX_TEXTURE_IMAGE_UNITS, &m_maxTextureUnits);
        }
        SDL_GL_DeleteContext(context);
    }
    SDL_DestroyWindow(window);
    previous.Restore();
}

bool CGLGraphicsSystem::CheckDeviceType(std::uint32_t adapter, EDeviceType type, EFormat displayFormat,
                                        EFormat backBufferFormat, bool)
{
    if (adapter != 0 || displayFormat != D3DFMT_X8R8G8B8 ||
        (backBufferFormat != D3DFMT_X8R8G8B8 && backBufferFormat != D3DFMT_A8R8G8B8))
        return false;
    Probe();
    if (type == D3DDEVTYPE_HAL)
        return m_contextAvailable && m_hardware;
    return type == D3DDEVTYPE_REF && m_contextAvailable;
}

bool CGLGraphicsSystem::GetDeviceCaps(std::uint32_t adapter, EDeviceType type, DeviceCaps& out)
{
    Probe();
    if (adapter != 0 || !m_contextAvailable || (type == D3DDEVTYPE_HAL && !m_hardware) ||
        (type != D3DDEVTYPE_HAL && type != D3DDEVTYPE_REF))
        return false;
    out = DeviceCaps{};
    out.deviceType = type;
    // Vertex stages run on the device in every OpenGL 3.3 implementation.
    out.vertexProcessingCaps = 1;
    out.maxTextureWidth = out.maxTextureHeight = static_cast<std::uint32_t>(m_maxTextureSize);
    out.maxSimultaneousTextures = static_cast<std::uint32_t>(std::min<int>(m_maxTextureUnits, kMaxTextureStages));
    return true;
}

bool CGLGraphicsSystem::GetAdapterDisplayMode(std::uint32_t adapter, DisplayMode& out)
{
    SDL_DisplayMode mode{};
    if (adapter != 0 || SDL_GetDesktopDisplayMode(0, &mode) != 0)
        return false;
    out.width = static_cast<std::uint32_t>(mode.w);
    out.height = static_cast<std::uint32_t>(mode.h);
    out.refreshRate = static_cast<std::uint32_t>(std::max(mode.refresh_rate, 0));
    out.format = D3DFMT_X8R8G8B8;
    return true;
}

std::unique_ptr<IGraphicsDevice> CGLGraphicsSystem::CreateDevice(std::uint32_t adapter, EDeviceType type,
                                                                 WindowHandle focusWindow, std::uint32_t,
                                                                 PresentParameters& parameters)
{
    Probe();
    if (adapter != 0 || !m_contextAvailable || (type == D3DDEVTYPE_HAL && !m_hardware))
        return nullptr;
    SDL_Window* window = Platform::ToSDLWindow(parameters.deviceWindow ? parameters.deviceWindow : focusWindow);
    if (!window || !(SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL))
        return nullptr;
    if (!parameters.windowed)
    {
        if (parameters.backBufferWidth == 0 || parameters.backBufferHeight == 0)
            return nullptr;
        MakeFullScreen(window, parameters.backBufferWidth, parameters.backBufferHeight);
    }

    const CurrentContext previous;
    RequestCoreContext();
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context)
    {
        previous.Restore();
        return nullptr;
    }
    // The device owns the context from here, and has deleted it when it could not be set up.
    std::unique_ptr<CGLDevice> device = CGLDevice::Create(window, context, parameters);
    if (!device)
    {
        previous.Restore();
        return nullptr;
    }
    // Report the back buffer the device made, as the original device filled them in.
    SurfaceDesc back;
    const SurfaceId target = device->GetRenderTarget(0);
    if (device->GetSurfaceDesc(target, back))
    {
        parameters.backBufferWidth = back.width;
        parameters.backBufferHeight = back.height;
    }
    device->ReleaseSurface(target);
    if (parameters.backBufferFormat == D3DFMT_UNKNOWN)
        parameters.backBufferFormat = D3DFMT_X8R8G8B8;
    return device;
}

int CGLGraphicsSystem::GetScreenDpiY()
{
    float vertical = 0.0f;
    if (SDL_GetDisplayDPI(0, nullptr, nullptr, &vertical) != 0 || !(vertical > 0.0f) || !std::isfinite(vertical))
        return kDefaultDpi;
    return static_cast<int>(std::lround(vertical));
}

} // namespace Tess
