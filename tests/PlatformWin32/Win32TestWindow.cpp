#include "Win32TestWindow.h"

#include "Engine/Platform/Win32/Win32Api.h"

using namespace Tess;

namespace Win32Test
{

namespace
{
std::intptr_t RecordingProcedure(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                 std::intptr_t lParam)
{
    Received().push_back({window, message, wParam, lParam});
    if (message == WM_DESTROY)
        Platform::GetWin32WindowSystem().PostQuitMessage(7);
    return Platform::GetWin32WindowSystem().DefWindowProc(window, message, wParam, lParam);
}
} // namespace

std::vector<WindowMessage>& Received()
{
    static std::vector<WindowMessage> received;
    return received;
}

WindowHandle CreateShownWindow(const char* title)
{
    auto& windows = Platform::GetWin32WindowSystem();
    windows.RegisterClass({CS_HREDRAW | CS_VREDRAW, &RecordingProcedure, nullptr, "TesserantTest"});
    const WindowHandle window = windows.CreateWindow("TesserantTest", title, WS_OVERLAPPEDWINDOW, 0, 0,
                                                     320 + kWindowFrameWidth, 200 + kWindowFrameHeight, nullptr);
    windows.ShowWindow(window, SW_SHOW);
    return window;
}

void SendKey(std::uint8_t scanCode, bool down)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = scanCode;
    input.ki.dwFlags = KEYEVENTF_SCANCODE | (down ? 0 : KEYEVENTF_KEYUP);
    SendInput(1, &input, sizeof input);
    // DirectInput sees the key once it has gone through the thread's input.
    Sleep(20);
    DrainMessages();
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
