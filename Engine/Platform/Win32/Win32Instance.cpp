#include "Engine/Platform/Win32/Win32Instance.h"

#include "Engine/Platform/Win32/Win32Api.h"

namespace Tess::Platform
{

InstanceHandle GetWin32Instance()
{
    return reinterpret_cast<InstanceHandle>(GetModuleHandleW(nullptr));
}

} // namespace Tess::Platform
