#pragma once
// CSDLWindowSystem: the window system on SDL2. Windows are SDL windows created for OpenGL (the
// renderer makes its context on them later); SDL's window events become window messages:
//   close box, and SDL_QUIT once (a signal, the session ending) -> WM_CLOSE
//   the window lost from outside (X connection lost, window destroyed by another program)
//     -> WM_CLOSE once (CSDLDisplayWatch)
//   exposure -> WM_PAINT (handed out when no posted message or quit is waiting)
//   focus gained / lost -> WM_SETFOCUS / WM_KILLFOCUS, size change -> WM_SIZE
// Keys and the mouse never reach the queue (see CSDLEvents).
//
// A destroyed window is hidden and gets no more messages, but its SDL window lives until the
// window system goes away at exit: the frame that runs after the close still presents to it,
// and the renderer releases its context on it during shutdown.

#include "Engine/Platform/WindowSystem.h"

#include <deque>
#include <map>
#include <memory>
#include <vector>

struct SDL_Window;
union SDL_Event;

namespace Tess::Platform
{

class CSDLWindowSystem final : public IWindowSystem
{
public:
    CSDLWindowSystem() = default;
    ~CSDLWindowSystem() override;
    CSDLWindowSystem(const CSDLWindowSystem&) = delete;
    CSDLWindowSystem& operator=(const CSDLWindowSystem&) = delete;

    bool RegisterClass(const WindowClass& windowClass) override;
    WindowHandle CreateWindow(const std::string& className, const std::string& title,
                              std::uint32_t style, int x, int y, int outerWidth, int outerHeight,
                              InstanceHandle instance) override;
    bool ShowWindow(WindowHandle window, int showCommand) override;
    bool GetClientSize(WindowHandle window, int& width, int& height) override;
    bool UpdateWindow(WindowHandle window) override;
    bool PeekMessage(WindowMessage& message) override;
    bool TranslateMessage(const WindowMessage& message) override;
    std::intptr_t DispatchMessage(const WindowMessage& message) override;
    bool PostMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;
    void PostQuitMessage(int exitCode) override;
    std::intptr_t DefWindowProc(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam) override;
    bool DestroyWindow(WindowHandle window) override;

private:
    struct Window
    {
        SDL_Window* sdlWindow = nullptr;
        WindowProcedure procedure = nullptr;
        bool alive = true;
        bool needsPaint = false;
        bool closedForLoss = false;
    };

    Window* FindLive(WindowHandle window);
    Window* FindLiveById(std::uint32_t sdlWindowId);
    SDL_Window* CreateSDLWindow(const std::string& title, int x, int y, int width, int height, bool resizable);
    void WaitForInputFocus(SDL_Window* window);
    void ReadSDLEvents();
    void CloseLostWindows();
    void ConvertEvent(const SDL_Event& event);
    void ConvertWindowEvent(const SDL_Event& event);
    bool TakePaint(WindowMessage& message);
    std::intptr_t Send(Window& window, std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam);

    std::map<std::string, WindowClass> m_classes;
    std::vector<std::unique_ptr<Window>> m_windows;
    std::deque<WindowMessage> m_queue;
    bool m_quitPosted = false;
    int m_quitCode = 0;
    bool m_sdlQuitSeen = false;
    bool m_videoStarted = false;
};

CSDLWindowSystem& GetSDLWindowSystem();

} // namespace Tess::Platform
