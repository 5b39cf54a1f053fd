#pragma once
// What the Win32 backends know of the desktop and the running program, for the factory and the
// Direct3D 9 graphics system.

#include "Engine/Platform/PlatformTypes.h"

namespace Tess::Platform
{

// The screen's vertical dots per inch from GDI (LOGPIXELSY of the screen's device context); 96
// when GDI does not say.
int GetWin32ScreenDpiY();

// The module of the running program (its HINSTANCE).
InstanceHandle GetWin32Instance();

} // namespace Tess::Platform
