#pragma once
// IWindowSystem: the windowing layer the entry routine and the window procedure talk to. It keeps
// the shape of the Win32 calls the engine was written against (register a class, create a window,
// peek one message without blocking, translate and dispatch it, post messages, the default window
// procedure), and the message numbers are Win32's, so the main loop reads as it always did.
// Backends: CSDLWindowSystem (SDL2), CWin32WindowSystem (Win32 itself) and the tests' own fake.

#include "Engine/Platform/PlatformTypes.h"

#include <cstdint>
#include <string>

namespace Tess
{

// Window messages, numbered as Win32 numbers them.
constexpr std::uint32_t WM_NULL = 0x0000;
constexpr std::uint32_t WM_CREATE = 0x0001;
constexpr std::uint32_t WM_DESTROY = 0x0002;
constexpr std::uint32_t WM_SIZE = 0x0005;
constexpr std::uint32_t WM_SETFOCUS = 0x0007;
constexpr std::uint32_t WM_KILLFOCUS = 0x0008;
constexpr std::uint32_t WM_PAINT = 0x000F;
constexpr std::uint32_t WM_CLOSE = 0x0010;
constexpr std::uint32_t WM_QUIT = 0x0012;

// Class styles, window styles and show commands the entry routine uses.
constexpr std::uint32_t CS_VREDRAW = 0x0001;
constexpr std::uint32_t CS_HREDRAW = 0x0002;
constexpr std::uint32_t WS_THICKFRAME = 0x00040000; // a border the user can drag: resizable
constexpr std::uint32_t WS_OVERLAPPEDWINDOW = 0x00CF0000;
constexpr int SW_SHOW = 5;

// The border and caption this windowing layer puts around a window's client area: a window
// created with an outer size of (w, h) has a client area of (w - 8, h - 34).
constexpr int kWindowFrameWidth = 8;
constexpr int kWindowFrameHeight = 34;

using WindowProcedure = std::intptr_t (*)(WindowHandle window, std::uint32_t message,
                                          std::uintptr_t wParam, std::intptr_t lParam);

struct WindowMessage
{
    WindowHandle window = nullptr; // null for a message to the thread (WM_QUIT)
    std::uint32_t message = WM_NULL;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

struct WindowClass
{
    std::uint32_t style = 0;
    WindowProcedure procedure = nullptr;
    InstanceHandle instance = nullptr;
    std::string className;
};

class IWindowSystem
{
public:
    virtual ~IWindowSystem() = default;

    // Registers a window class; windows created with its name use its procedure.
    virtual bool RegisterClass(const WindowClass& windowClass) = 0;
    // Creates a window of the given outer size (hidden until shown) and sends it WM_CREATE.
    // Null when the class is unknown or the window cannot be created.
    virtual WindowHandle CreateWindow(const std::string& className, const std::string& title,
                                      std::uint32_t style, int x, int y, int outerWidth,
                                      int outerHeight, InstanceHandle instance) = 0;
    virtual bool ShowWindow(WindowHandle window, int showCommand) = 0;
    // The size of the window's client area (inside the border and caption).
    virtual bool GetClientSize(WindowHandle window, int& width, int& height) = 0;
    // Sends a pending WM_PAINT straight to the window procedure.
    virtual bool UpdateWindow(WindowHandle window) = 0;
    // Removes the next message, if any, without waiting. Posted messages come first, then
    // WM_QUIT once PostQuitMessage was called, then WM_PAINT for a window that needs painting.
    virtual bool PeekMessage(WindowMessage& message) = 0;
    // Turns key messages into character messages; true when it posted one.
    virtual bool TranslateMessage(const WindowMessage& message) = 0;
    // Calls the procedure of the message's window; 0 for a message without a live window.
    virtual std::intptr_t DispatchMessage(const WindowMessage& message) = 0;
    // Appends a message to the queue; false when the window is not a live window.
    virtual bool PostMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) = 0;
    // Makes the queue hand out WM_QUIT (wParam = exitCode) once its posted messages are gone.
    virtual void PostQuitMessage(int exitCode) = 0;
    // The default handling: WM_CLOSE destroys the window; every other message returns 0.
    virtual std::intptr_t DefWindowProc(WindowHandle window, std::uint32_t message,
                                        std::uintptr_t wParam, std::intptr_t lParam) = 0;
    // Sends WM_DESTROY to the window procedure and drops the window's queued messages.
    virtual bool DestroyWindow(WindowHandle window) = 0;
};

} // namespace Tess
