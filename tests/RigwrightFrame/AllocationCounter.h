#pragma once
// Counts the allocations made through the global operator new while counting is on. The program
// that links AllocationCounter.cpp has its operator new replaced. The first allocations counted are
// written to standard error with their call stacks.

namespace FrameTest
{

// What is left out of the count.
enum class EUncounted
{
    // Everything inside a device call (a recording device allocates to record each call).
    DeviceCalls,
    // Only what the graphics driver allocates (its shader compiler, for one), told apart by the
    // libraries on the call stack; the device's own code is counted.
    DriverCode,
};

void SetUncounted(EUncounted uncounted);
// Counting pauses and resumes without losing the count; ResetCount starts it from 0.
void SetCounting(bool counting);
void ResetCount();
long CountedAllocations();

} // namespace FrameTest
