#include "Engine/Platform/Win32/Win32Clock.h"

#include <gtest/gtest.h>

#include "Engine/Platform/Win32/Win32Api.h"

using Tess::Platform::GetWin32Clock;

TEST(Win32ClockTest, CounterAndTicksAdvanceTogetherAndNeverGoBack)
{
    auto& clock = GetWin32Clock();
    const std::int64_t frequency = clock.QueryPerformanceFrequency();
    ASSERT_GT(frequency, 0);

    std::int64_t previous = clock.QueryPerformanceCounter();
    for (int i = 0; i < 10000; ++i)
    {
        const std::int64_t now = clock.QueryPerformanceCounter();
        ASSERT_GE(now, previous);
        previous = now;
    }

    const std::uint32_t ticksBefore = clock.GetTickCount();
    const std::int64_t countBefore = clock.QueryPerformanceCounter();
    Sleep(50);
    const double seconds = double(clock.QueryPerformanceCounter() - countBefore) / double(frequency);
    const std::uint32_t ticks = clock.GetTickCount() - ticksBefore;
    EXPECT_GE(seconds, 0.045);
    EXPECT_LT(seconds, 2.0);
    EXPECT_GE(ticks, 30u);
    EXPECT_LT(ticks, 2000u);
}
