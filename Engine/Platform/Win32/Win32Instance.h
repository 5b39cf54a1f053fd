#pragma once
// The running program's module for the platform factory, without the Windows headers.

#include "Engine/Platform/PlatformTypes.h"

namespace Tess::Platform
{

// The module of the running program (its HINSTANCE): DirectInput and window classes need the
// real one.
InstanceHandle GetWin32Instance();

} // namespace Tess::Platform
