#pragma once
// IClock: the time sources the frame timer and the profiler read: a millisecond tick count that
// wraps at 2^32 and a high-resolution counter with its frequency. The SDL backend reads SDL's
// ticks and performance counter; tests drive a fake clock by hand.

#include <cstdint>

namespace Tess
{

class IClock
{
public:
    virtual ~IClock() = default;

    // Milliseconds since some fixed point; wraps around at 2^32.
    virtual std::uint32_t GetTickCount() = 0;
    // The high-resolution counter; only differences between two readings mean anything.
    virtual std::int64_t QueryPerformanceCounter() = 0;
    // Counts of the high-resolution counter per second.
    virtual std::int64_t QueryPerformanceFrequency() = 0;
};

} // namespace Tess
