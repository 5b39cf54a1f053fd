#include "Engine/Platform/SDL/SDLWindowSystem.h"

#include "Engine/Platform/SDL/SDLDisplayWatch.h"
#include "Engine/Platform/SDL/SDLEvents.h"
#include "Engine/Platform/SDL/SDLHandles.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>

namespace Tess::Platform
{

namespace
{
// How long showing a window waits for the window to receive the input focus.
constexpr Uint32 kFocusWaitMilliseconds = 250;

std::intptr_t MakeSizeParameter(int width, int height)
{
    return static_cast<std::intptr_t>((static_cast<std::uint32_t>(height) & 0xFFFF) << 16 |
                                      (static_cast<std::uint32_t>(width) & 0xFFFF));
}
} // namespace

CSDLWindowSystem::~CSDLWindowSystem()
{
    // A window the display took away is left to the process's end: SDL would wait forever for
    // the server to confirm its destruction, and so would stopping the video, which destroys
    // every window left.
    for (auto& window : m_windows)
    {
        if (!window->sdlWindow || CSDLDisplayWatch::IsLost(window->sdlWindow))
            continue;
        CSDLDisplayWatch::Forget(window->sdlWindow);
        SDL_DestroyWindow(window->sdlWindow);
    }
    m_windows.clear();
    if (m_videoStarted && !CSDLDisplayWatch::IsAnyLost())
        GetSDLEvents().StopVideo();
}

bool CSDLWindowSystem::RegisterClass(const WindowClass& windowClass)
{
    if (windowClass.className.empty() || !windowClass.procedure)
        return false;
    m_classes[windowClass.className] = windowClass;
    return true;
}

WindowHandle CSDLWindowSystem::CreateWindow(const std::string& className, const std::string& title,
                                            std::uint32_t style, int x, int y, int outerWidth,
                                            int outerHeight, InstanceHandle)
{
    const auto windowClass = m_classes.find(className);
    if (windowClass == m_classes.end())
        return nullptr;
    if (!m_videoStarted)
        m_videoStarted = GetSDLEvents().StartVideo();

    const int clientWidth = std::max(1, outerWidth - kWindowFrameWidth);
    const int clientHeight = std::max(1, outerHeight - kWindowFrameHeight);
    SDL_Window* sdlWindow =
        m_videoStarted ? CreateSDLWindow(title, x, y, clientWidth, clientHeight, (style & WS_THICKFRAME) != 0) : nullptr;
    if (!sdlWindow)
    {
        // Without a window nothing could ever end the program (no close box, no keys), so the
        // message loop is told to stop instead of spinning on forever.
        std::fprintf(stderr, "Cannot open a window: %s\n", SDL_GetError());
        PostQuitMessage(1);
        return nullptr;
    }

    CSDLDisplayWatch::Watch(sdlWindow);
    m_windows.push_back(std::make_unique<Window>());
    Window& window = *m_windows.back();
    window.sdlWindow = sdlWindow;
    window.procedure = windowClass->second.procedure;
    // A procedure that refuses creation gets its window destroyed again.
    if (Send(window, WM_CREATE, 0, 0) == -1)
    {
        DestroyWindow(FromSDLWindow(sdlWindow));
        return nullptr;
    }
    return FromSDLWindow(sdlWindow);
}

SDL_Window* CSDLWindowSystem::CreateSDLWindow(const std::string& title, int x, int y, int width,
                                              int height, bool resizable)
{
    // A style with a sizing border makes a window the user can resize and maximise, as on Win32;
    // the application gives its back buffer the new size (CApplication::FitBackBufferToWindow).
    const Uint32 flags = SDL_WINDOW_HIDDEN | (resizable ? static_cast<Uint32>(SDL_WINDOW_RESIZABLE) : 0u);
    // A window with the depth and stencil of the graphics device's back buffer can be drawn to
    // directly, sparing a copy of every frame; a display without such a configuration gets
    // SDL's defaults. The attributes stay set: the context made for the window later must
    // choose the same configuration.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_Window* window = SDL_CreateWindow(title.c_str(), x, y, width, height, SDL_WINDOW_OPENGL | flags);
    if (!window)
    {
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
        SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
        window = SDL_CreateWindow(title.c_str(), x, y, width, height, SDL_WINDOW_OPENGL | flags);
    }
    // A display without OpenGL still gets its window: the program runs on without graphics.
    if (!window)
        window = SDL_CreateWindow(title.c_str(), x, y, width, height, flags);
    return window;
}

bool CSDLWindowSystem::ShowWindow(WindowHandle handle, int)
{
    Window* window = FindLive(handle);
    if (!window)
        return false;
    SDL_ShowWindow(window->sdlWindow);
    // Showing activates the window, as the input devices need it to have the focus.
    SDL_RaiseWindow(window->sdlWindow);
    SDL_SetWindowInputFocus(window->sdlWindow);
    WaitForInputFocus(window->sdlWindow);
    window->needsPaint = true;
    return true;
}

bool CSDLWindowSystem::GetClientSize(WindowHandle handle, int& width, int& height)
{
    Window* window = FindLive(handle);
    if (!window)
        return false;
    SDL_GetWindowSize(window->sdlWindow, &width, &height);
    return true;
}

void CSDLWindowSystem::WaitForInputFocus(SDL_Window* window)
{
    const Uint64 deadline = SDL_GetTicks64() + kFocusWaitMilliseconds;
    while (SDL_GetKeyboardFocus() != window && SDL_GetTicks64() < deadline)
    {
        SDL_PumpEvents();
        SDL_Delay(5);
    }
}

bool CSDLWindowSystem::UpdateWindow(WindowHandle handle)
{
    Window* window = FindLive(handle);
    if (!window)
        return false;
    if (window->needsPaint)
    {
        window->needsPaint = false;
        Send(*window, WM_PAINT, 0, 0);
    }
    return true;
}

bool CSDLWindowSystem::PeekMessage(WindowMessage& message)
{
    ReadSDLEvents();
    if (!m_queue.empty())
    {
        message = m_queue.front();
        m_queue.pop_front();
        return true;
    }
    if (m_quitPosted)
    {
        m_quitPosted = false;
        message = {nullptr, WM_QUIT, static_cast<std::uintptr_t>(m_quitCode), 0};
        return true;
    }
    return TakePaint(message);
}

bool CSDLWindowSystem::TakePaint(WindowMessage& message)
{
    for (auto& window : m_windows)
    {
        if (window->alive && window->needsPaint)
        {
            window->needsPaint = false;
            message = {FromSDLWindow(window->sdlWindow), WM_PAINT, 0, 0};
            return true;
        }
    }
    return false;
}

void CSDLWindowSystem::ReadSDLEvents()
{
    if (!m_videoStarted)
        return;
    SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0)
        ConvertEvent(event);
    CloseLostWindows();
}

void CSDLWindowSystem::CloseLostWindows()
{
    // A window the display took away (its connection lost, or the window destroyed by another
    // program) is closed as the close box closes it, once.
    for (auto& window : m_windows)
    {
        if (window->alive && !window->closedForLoss && CSDLDisplayWatch::IsLost(window->sdlWindow))
        {
            window->closedForLoss = true;
            PostMessage(FromSDLWindow(window->sdlWindow), WM_CLOSE, 0, 0);
        }
    }
}

void CSDLWindowSystem::ConvertEvent(const SDL_Event& event)
{
    if (event.type == SDL_WINDOWEVENT)
    {
        ConvertWindowEvent(event);
        return;
    }
    if (event.type != SDL_QUIT || m_sdlQuitSeen)
        return;
    // SDL_QUIT (a signal, or the last window closing) closes the main window once, so the
    // program ends the way the close box ends it.
    m_sdlQuitSeen = true;
    for (auto& window : m_windows)
    {
        if (window->alive)
        {
            PostMessage(FromSDLWindow(window->sdlWindow), WM_CLOSE, 0, 0);
            return;
        }
    }
    PostQuitMessage(0);
}

void CSDLWindowSystem::ConvertWindowEvent(const SDL_Event& event)
{
    Window* window = FindLiveById(event.window.windowID);
    if (!window)
        return;
    const WindowHandle handle = FromSDLWindow(window->sdlWindow);
    switch (event.window.event)
    {
    case SDL_WINDOWEVENT_CLOSE:
        PostMessage(handle, WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        window->needsPaint = true;
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        PostMessage(handle, WM_SETFOCUS, 0, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        PostMessage(handle, WM_KILLFOCUS, 0, 0);
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        PostMessage(handle, WM_SIZE, 0, MakeSizeParameter(event.window.data1, event.window.data2));
        break;
    default:
        break;
    }
}

bool CSDLWindowSystem::TranslateMessage(const WindowMessage&)
{
    // Keys never enter the queue, so there is nothing to turn into characters.
    return false;
}

std::intptr_t CSDLWindowSystem::DispatchMessage(const WindowMessage& message)
{
    Window* window = FindLive(message.window);
    return window ? Send(*window, message.message, message.wParam, message.lParam) : 0;
}

bool CSDLWindowSystem::PostMessage(WindowHandle window, std::uint32_t message,
                                   std::uintptr_t wParam, std::intptr_t lParam)
{
    if (window && !FindLive(window))
        return false;
    m_queue.push_back({window, message, wParam, lParam});
    return true;
}

void CSDLWindowSystem::PostQuitMessage(int exitCode)
{
    m_quitPosted = true;
    m_quitCode = exitCode;
}

std::intptr_t CSDLWindowSystem::DefWindowProc(WindowHandle window, std::uint32_t message,
                                              std::uintptr_t, std::intptr_t)
{
    if (message == WM_CLOSE)
        DestroyWindow(window);
    return 0;
}

bool CSDLWindowSystem::DestroyWindow(WindowHandle handle)
{
    Window* window = FindLive(handle);
    if (!window)
        return false;
    window->alive = false;
    window->needsPaint = false;
    // Hiding a lost window would wait forever for the server's confirmation.
    if (!CSDLDisplayWatch::IsLost(window->sdlWindow))
        SDL_HideWindow(window->sdlWindow);
    std::erase_if(m_queue, [handle](const WindowMessage& m) { return m.window == handle; });
    window->procedure(handle, WM_DESTROY, 0, 0);
    return true;
}

std::intptr_t CSDLWindowSystem::Send(Window& window, std::uint32_t message, std::uintptr_t wParam,
                                     std::intptr_t lParam)
{
    return window.procedure(FromSDLWindow(window.sdlWindow), message, wParam, lParam);
}

CSDLWindowSystem::Window* CSDLWindowSystem::FindLive(WindowHandle handle)
{
    if (!handle)
        return nullptr;
    for (auto& window : m_windows)
        if (window->alive && window->sdlWindow == ToSDLWindow(handle))
            return window.get();
    return nullptr;
}

CSDLWindowSystem::Window* CSDLWindowSystem::FindLiveById(std::uint32_t sdlWindowId)
{
    for (auto& window : m_windows)
        if (window->alive && SDL_GetWindowID(window->sdlWindow) == sdlWindowId)
            return window.get();
    return nullptr;
}

CSDLWindowSystem& GetSDLWindowSystem()
{
    static CSDLWindowSystem windowSystem;
    return windowSystem;
}

} // namespace Tess::Platform
