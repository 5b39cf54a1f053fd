#pragma once
// A clock the test sets by hand.

#include "Engine/Platform/Clock.h"

namespace TestSupport
{

class FakeClock final : public Tess::IClock
{
public:
    std::uint32_t ticks = 0;
    std::int64_t counter = 0;
    std::int64_t frequency = 1000000;
    // Counts the counter moves on by itself at every read, so code in between takes time.
    std::int64_t stepPerRead = 0;

    std::uint32_t GetTickCount() override { return ticks; }
    std::int64_t QueryPerformanceCounter() override { return counter += stepPerRead; }
    std::int64_t QueryPerformanceFrequency() override { return frequency; }

    // Moves both time sources on by `seconds`.
    void Advance(double seconds)
    {
        counter += static_cast<std::int64_t>(seconds * static_cast<double>(frequency) + 0.5);
        ticks += static_cast<std::uint32_t>(seconds * 1000.0 + 0.5);
    }
};

} // namespace TestSupport
