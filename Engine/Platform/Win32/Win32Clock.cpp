#include "Engine/Platform/Win32/Win32Clock.h"

#include "Engine/Platform/Win32/Win32Api.h"

namespace Tess::Platform
{

std::uint32_t CWin32Clock::GetTickCount()
{
    // Kept to 32 bits on purpose: callers take unsigned differences, which survive the wrap.
    return static_cast<std::uint32_t>(::GetTickCount64());
}

std::int64_t CWin32Clock::QueryPerformanceCounter()
{
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

std::int64_t CWin32Clock::QueryPerformanceFrequency()
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

CWin32Clock& GetWin32Clock()
{
    static CWin32Clock clock;
    return clock;
}

} // namespace Tess::Platform
