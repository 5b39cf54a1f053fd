#pragma once
// CSDLClock: ticks and the high-resolution counter from SDL. Both work before SDL is started.

#include "Engine/Platform/Clock.h"

namespace Tess::Platform
{

class CSDLClock final : public IClock
{
public:
    std::uint32_t GetTickCount() override;
    std::int64_t QueryPerformanceCounter() override;
    std::int64_t QueryPerformanceFrequency() override;
};

CSDLClock& GetSDLClock();

} // namespace Tess::Platform
