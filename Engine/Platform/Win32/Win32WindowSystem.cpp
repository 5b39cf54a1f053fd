#include "Engine/Platform/Win32/Win32WindowSystem.h"

// The message numbers, styles and show commands as the engine declares them, read before
// <windows.h> turns their names into macros; checked against Win32's below.
namespace
{
constexpr std::uint32_t kEngineMessages[] = {Tess::WM_NULL,     Tess::WM_CREATE,    Tess::WM_DESTROY,
                                             Tess::WM_SIZE,     Tess::WM_SETFOCUS,  Tess::WM_KILLFOCUS,
                                             Tess::WM_PAINT,    Tess::WM_CLOSE,     Tess::WM_QUIT};
constexpr std::uint32_t kEngineStyles[] = {Tess::CS_VREDRAW, Tess::CS_HREDRAW, Tess::WS_THICKFRAME,
                                           Tess::WS_OVERLAPPEDWINDOW};
constexpr int kEngineShowWindow = Tess::SW_SHOW;
} // namespace

#include "Engine/Platform/Win32/Win32Api.h"

#include <algorithm>
#include <cstring>

namespace Tess::Platform
{

namespace
{
constexpr std::uint32_t kWin32Messages[] = {WM_NULL,  WM_CREATE,   WM_DESTROY, WM_SIZE, WM_SETFOCUS,
                                            WM_KILLFOCUS, WM_PAINT, WM_CLOSE,   WM_QUIT};
constexpr std::uint32_t kWin32Styles[] = {CS_VREDRAW, CS_HREDRAW, WS_THICKFRAME, WS_OVERLAPPEDWINDOW};

constexpr bool SameValues(const std::uint32_t (&a)[9], const std::uint32_t (&b)[9])
{
    for (int i = 0; i < 9; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}
static_assert(SameValues(kEngineMessages, kWin32Messages), "window messages are Win32's numbers");
static_assert(kEngineStyles[0] == kWin32Styles[0] && kEngineStyles[1] == kWin32Styles[1] &&
                  kEngineStyles[2] == kWin32Styles[2] && kEngineStyles[3] == kWin32Styles[3],
              "styles are Win32's bits");
static_assert(kEngineShowWindow == SW_SHOW, "show commands are Win32's");

std::wstring Widen(const std::string& text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int wideSize = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    if (wideSize <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), wideSize);
    return wide;
}

// The window procedure of every class registered here: it hands each message, with Win32's
// numbers and parameters, to the engine's procedure of the window's class. The procedure
// travels in the creation data and is kept in the window's user data from WM_NCCREATE on; the
// few messages before that get the default handling.
LRESULT CALLBACK RouteMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto procedure = reinterpret_cast<WindowProcedure>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!procedure && message == WM_NCCREATE)
    {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        const auto* windowClass = static_cast<const WindowClass*>(create->lpCreateParams);
        procedure = windowClass ? windowClass->procedure : nullptr;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(procedure));
    }
    if (!procedure)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return procedure(FromHwnd(hwnd), message, wParam, lParam);
}

MSG ToMsg(const WindowMessage& message)
{
    MSG msg{};
    msg.hwnd = ToHwnd(message.window);
    msg.message = message.message;
    msg.wParam = message.wParam;
    msg.lParam = message.lParam;
    msg.time = static_cast<DWORD>(GetMessageTime());
    const DWORD position = GetMessagePos();
    msg.pt.x = static_cast<short>(LOWORD(position));
    msg.pt.y = static_cast<short>(HIWORD(position));
    return msg;
}
} // namespace

CWin32WindowSystem::~CWin32WindowSystem()
{
    // At exit the engine's procedures may no longer have their objects: the windows left are
    // closed with the default handling only.
    for (WindowHandle window : m_windows)
    {
        if (!IsLive(window))
            continue;
        SetWindowLongPtrW(ToHwnd(window), GWLP_USERDATA, 0);
        ::DestroyWindow(ToHwnd(window));
    }
}

bool CWin32WindowSystem::RegisterClass(const WindowClass& windowClass)
{
    if (windowClass.className.empty() || !windowClass.procedure)
        return false;
    // A class registered again keeps its Win32 class; new windows take the new procedure.
    const auto known = m_classes.find(windowClass.className);
    if (known != m_classes.end())
    {
        known->second = windowClass;
        return true;
    }
    const std::wstring name = Widen(windowClass.className);
    WNDCLASSEXW win32Class{};
    win32Class.cbSize = sizeof win32Class;
    win32Class.style = windowClass.style;
    win32Class.lpfnWndProc = &RouteMessage;
    win32Class.hInstance = ToHinstance(windowClass.instance);
    win32Class.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    win32Class.hIconSm = win32Class.hIcon;
    win32Class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    win32Class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    win32Class.lpszClassName = name.c_str();
    if (!RegisterClassExW(&win32Class))
        return false;
    m_classes[windowClass.className] = windowClass;
    return true;
}

WindowHandle CWin32WindowSystem::CreateWindow(const std::string& className,
                                              const std::string& title, std::uint32_t style,
                                              int x, int y, int outerWidth, int outerHeight,
                                              InstanceHandle instance)
{
    const auto windowClass = m_classes.find(className);
    if (windowClass == m_classes.end())
        return nullptr;
    // Hidden until shown, whatever the style says.
    const DWORD windowStyle = style & ~static_cast<DWORD>(WS_VISIBLE);
    RECT frame{0, 0, std::max(1, outerWidth - kWindowFrameWidth),
               std::max(1, outerHeight - kWindowFrameHeight)};
    AdjustWindowRectEx(&frame, windowStyle, FALSE, 0);
    const std::wstring wideClass = Widen(className);
    const std::wstring wideTitle = Widen(title);
    // WM_CREATE reaches the procedure before this returns; a procedure that answers -1 makes
    // the creation fail.
    HWND hwnd = CreateWindowExW(0, wideClass.c_str(), wideTitle.c_str(), windowStyle, x, y,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                nullptr, ToHinstance(instance), &windowClass->second);
    if (!hwnd)
        return nullptr;
    std::erase_if(m_windows, [this](WindowHandle window) { return !IsLive(window); });
    m_windows.push_back(FromHwnd(hwnd));
    return FromHwnd(hwnd);
}

bool CWin32WindowSystem::ShowWindow(WindowHandle window, int showCommand)
{
    if (!IsLive(window))
        return false;
    ::ShowWindow(ToHwnd(window), showCommand);
    // The input devices acquire only while their window is in the foreground.
    SetForegroundWindow(ToHwnd(window));
    return true;
}

bool CWin32WindowSystem::GetClientSize(WindowHandle window, int& width, int& height)
{
    RECT client;
    if (!IsLive(window) || !GetClientRect(ToHwnd(window), &client))
        return false;
    width = client.right - client.left;
    height = client.bottom - client.top;
    return true;
}

bool CWin32WindowSystem::UpdateWindow(WindowHandle window)
{
    return IsLive(window) && ::UpdateWindow(ToHwnd(window));
}

bool CWin32WindowSystem::PeekMessage(WindowMessage& message)
{
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        return false;
    message = {FromHwnd(msg.hwnd), msg.message, msg.wParam, msg.lParam};
    return true;
}

bool CWin32WindowSystem::TranslateMessage(const WindowMessage& message)
{
    const MSG msg = ToMsg(message);
    return ::TranslateMessage(&msg) != FALSE;
}

std::intptr_t CWin32WindowSystem::DispatchMessage(const WindowMessage& message)
{
    if (!IsLive(message.window))
        return 0;
    const MSG msg = ToMsg(message);
    return DispatchMessageW(&msg);
}

bool CWin32WindowSystem::PostMessage(WindowHandle window, std::uint32_t message,
                                     std::uintptr_t wParam, std::intptr_t lParam)
{
    if (window && !IsLive(window))
        return false;
    return PostMessageW(ToHwnd(window), message, wParam, lParam) != FALSE;
}

void CWin32WindowSystem::PostQuitMessage(int exitCode)
{
    ::PostQuitMessage(exitCode);
}

std::intptr_t CWin32WindowSystem::DefWindowProc(WindowHandle window, std::uint32_t message,
                                                std::uintptr_t wParam, std::intptr_t lParam)
{
    return DefWindowProcW(ToHwnd(window), message, wParam, lParam);
}

bool CWin32WindowSystem::DestroyWindow(WindowHandle window)
{
    // Win32 drops the messages still queued for the window itself.
    if (!IsLive(window))
        return false;
    return ::DestroyWindow(ToHwnd(window)) != FALSE;
}

bool CWin32WindowSystem::IsLive(WindowHandle window) const
{
    return window && IsWindow(ToHwnd(window));
}

CWin32WindowSystem& GetWin32WindowSystem()
{
    static CWin32WindowSystem windowSystem;
    return windowSystem;
}

} // namespace Tess::Platform
