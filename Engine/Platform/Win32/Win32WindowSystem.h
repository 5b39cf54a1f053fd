#pragma once
// CWin32WindowSystem: the window system on Win32 itself. The interface already speaks Win32
// (its message numbers, styles and show commands are Win32's), so each call is the Win32 call
// of the same name on the window's HWND; titles and class names are UTF-8 and become UTF-16 on
// the way in. Every window of a registered class gets the engine's procedure for its class,
// with Win32's own message numbers and parameters.
//
// A window created with an outer size of (w, h) gets a client area of (w - kWindowFrameWidth,
// h - kWindowFrameHeight), as the interface promises; its real outer size is whatever this
// desktop's border and caption need around that client area.

#include "Engine/Platform/WindowSystem.h"

#include <map>
#include <vector>

namespace Tess::Platform
{

class CWin32WindowSystem final : public IWindowSystem
{
public:
    CWin32WindowSystem() = default;
    ~CWin32WindowSystem() override;
    CWin32WindowSystem(const CWin32WindowSystem&) = delete;
    CWin32WindowSystem& operator=(const CWin32WindowSystem&) = delete;

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
    bool IsLive(WindowHandle window) const;

    // Registered classes by name; a window's creation data points at its class's entry.
    std::map<std::string, WindowClass> m_classes;
    std::vector<WindowHandle> m_windows;
};

CWin32WindowSystem& GetWin32WindowSystem();

} // namespace Tess::Platform
