#include "Win32TestWindow.h"

using namespace Tess;

namespace Win32Test
{

namespace
{
constexpr const char* kClassName = "TesserantWin32Test";
} // namespace

std::vector<ReceivedMessage>& Received()
{
    static std::vector<ReceivedMessage> received;
    return received;
}

std::intptr_t RecordingProcedure(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                 std::intptr_t lParam)
{
    Received().push_back({message, wParam, lParam});
    if (message == WM_DESTROY)
    {
        Platform::GetWin32WindowSystem().PostQuitMessage(7);
        return 0;
    }
    return Platform::GetWin32WindowSystem().DefWindowProc(window, message, wParam, lParam);
}

WindowHandle CreateShownWindow(const char* title)
{
    auto& windows = Platform::GetWin32WindowSystem();
    WindowClass windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.procedure = &RecordingProcedure;
    windowClass.className = kClassName;
    windows.RegisterClass(windowClass);
    const WindowHandle window =
        windows.CreateWindow(kClassName, title, WS_OVERLAPPEDWINDOW, 0, 0, 320 + kWindowFrameWidth,
                             200 + kWindowFrameHeight, nullptr);
    windows.ShowWindow(window, SW_SHOW);
    windows.UpdateWindow(window);
    return window;
}

bool DrainMessages()
{
    auto& windows = Platform::GetWin32WindowSystem();
    WindowMessage message;
    while (windows.PeekMessage(message))
    {
        if (message.message == WM_QUIT)
            return true;
        windows.TranslateMessage(message);
        windows.DispatchMessage(message);
    }
    return false;
}

} // namespace Win32Test
