#pragma once
// Internal to the Win32 backends: <windows.h>, without the macros that would rename the window
// system's own members (RegisterClass, CreateWindow, PeekMessage, ...), and how the engine's
// opaque handles map to Win32's. A WindowHandle is the HWND itself, an InstanceHandle the
// HINSTANCE.
//
// Include it after the engine's headers: <windows.h> defines WM_CREATE, SW_SHOW, CS_HREDRAW and
// the like as macros, which would break the declarations of the engine's constants of the same
// names. The values are the same, so code after this header simply uses the macros.

#include "Engine/Platform/PlatformTypes.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef RegisterClass
#undef CreateWindow
#undef PeekMessage
#undef DispatchMessage
#undef PostMessage
#undef DefWindowProc

namespace Tess::Platform
{

inline HWND ToHwnd(WindowHandle window)
{
    return reinterpret_cast<HWND>(window);
}

inline WindowHandle FromHwnd(HWND window)
{
    return reinterpret_cast<WindowHandle>(window);
}

// A null instance stands for the program's own module, as it does for most Win32 calls.
inline HINSTANCE ToHinstance(InstanceHandle instance)
{
    return instance ? reinterpret_cast<HINSTANCE>(instance) : GetModuleHandleW(nullptr);
}

} // namespace Tess::Platform
