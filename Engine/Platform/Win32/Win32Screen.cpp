#include "Engine/Platform/Win32/Win32Screen.h"

#include "Engine/Platform/Win32/Win32Api.h"

namespace Tess::Platform
{

namespace
{
// What Windows assumes when nothing else is known.
constexpr int kDefaultDpi = 96;
} // namespace

int GetWin32ScreenDpiY()
{
    HDC screen = GetDC(nullptr);
    if (!screen)
        return kDefaultDpi;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDefaultDpi;
}

InstanceHandle GetWin32Instance()
{
    return reinterpret_cast<InstanceHandle>(GetModuleHandleW(nullptr));
}

} // namespace Tess::Platform
