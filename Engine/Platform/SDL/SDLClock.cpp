#include "Engine/Platform/SDL/SDLClock.h"

#include <SDL.h>

namespace Tess::Platform
{

std::uint32_t CSDLClock::GetTickCount()
{
    // Kept to 32 bits on purpose: callers take unsigned differences, which survive the wrap.
    return static_cast<std::uint32_t>(SDL_GetTicks64());
}

std::int64_t CSDLClock::QueryPerformanceCounter()
{
    return static_cast<std::int64_t>(SDL_GetPerformanceCounter());
}

std::int64_t CSDLClock::QueryPerformanceFrequency()
{
    return static_cast<std::int64_t>(SDL_GetPerformanceFrequency());
}

CSDLClock& GetSDLClock()
{
    static CSDLClock clock;
    return clock;
}

} // namespace Tess::Platform
