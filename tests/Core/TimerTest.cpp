#include "Engine/Core/Timer.h"

#include "Support/FakeClock.h"

#include <gtest/gtest.h>

using namespace Tess;
using TestSupport::FakeClock;

TEST(TimerTest, FrameTimeIsTheCounterDifferenceOverTheFrequency)
{
    FakeClock clock;
    clock.frequency = 3000000;
    CTimer timer(clock);
    EXPECT_FLOAT_EQ(timer.GetElapsedTime(), 0.0f);

    clock.Advance(0.016);
    timer.Update();
    EXPECT_NEAR(timer.GetElapsedTime(), 0.016f, 1e-6f);

    clock.Advance(0.25);
    timer.Update();
    EXPECT_NEAR(timer.GetElapsedTime(), 0.25f, 1e-6f);
}

TEST(TimerTest, TheFirstFrameMeasuresEverythingSinceConstruction)
{
    FakeClock clock;
    CTimer timer(clock);
    timer.Update();
    clock.Advance(2.5); // window, device and scene creation
    timer.Update();
    EXPECT_NEAR(timer.GetElapsedTime(), 2.5f, 1e-5f);
}

TEST(TimerTest, ATickCountWrapDoesNotAffectTheFrameTime)
{
    FakeClock clock;
    clock.ticks = 0xFFFFFFF0u;
    CTimer timer(clock);
    clock.Advance(0.032); // the ticks wrap past zero
    timer.Update();
    EXPECT_NEAR(timer.GetElapsedTime(), 0.032f, 1e-6f);

    // Ticks that jump wildly are ignored: the counter decides.
    clock.ticks -= 5000;
    clock.counter += clock.frequency / 100;
    timer.Update();
    EXPECT_NEAR(timer.GetElapsedTime(), 0.01f, 1e-6f);
}

TEST(TimerTest, FramesPerSecondIsZeroDuringTheFirstSecond)
{
    FakeClock clock;
    CTimer timer(clock);
    for (int i = 0; i < 59; ++i)
    {
        clock.Advance(1.0 / 60.0);
        timer.Update();
        EXPECT_EQ(timer.GetFPS(), 0u) << "update " << i;
    }
}

TEST(TimerTest, TheUpdateClosingAWindowIsCountedInNeitherWindow)
{
    FakeClock clock;
    clock.frequency = 1000;
    CTimer timer(clock);

    // Ten updates 0.1 s apart: the tenth reaches 1.0 s and closes the window having counted nine.
    for (int i = 0; i < 10; ++i)
    {
        clock.counter += 100;
        timer.Update();
    }
    EXPECT_EQ(timer.GetFPS(), 9u);

    // The next window starts at the closing update; again nine counted, the tenth closes it.
    for (int i = 0; i < 9; ++i)
    {
        clock.counter += 100;
        timer.Update();
        EXPECT_EQ(timer.GetFPS(), 9u);
    }
    clock.counter += 100;
    timer.Update();
    EXPECT_EQ(timer.GetFPS(), 9u);

    // A slower second: four updates of 0.3 s; the fourth (1.2 s) closes it with three counted.
    for (int i = 0; i < 4; ++i)
    {
        clock.counter += 300;
        timer.Update();
    }
    EXPECT_EQ(timer.GetFPS(), 3u);
}

TEST(TimerTest, ASteadySixtyUpdatesPerSecondReportsFiftyNineOrSixty)
{
    FakeClock clock;
    clock.frequency = 10000000;
    CTimer timer(clock);
    for (int second = 0; second < 5; ++second)
    {
        for (int i = 0; i < 60; ++i)
        {
            clock.Advance(1.0 / 60.0);
            timer.Update();
        }
        if (second > 0)
        {
            EXPECT_GE(timer.GetFPS(), 59u);
            EXPECT_LE(timer.GetFPS(), 60u);
        }
    }
}

TEST(TimerTest, AClockWithoutFrequencyFallsBackToTheTicks)
{
    FakeClock clock;
    clock.frequency = 0;
    CTimer timer(clock);
    clock.ticks += 20;
    timer.Update();
    EXPECT_NEAR(timer.GetElapsedTime(), 0.02f, 1e-6f);
    EXPECT_EQ(timer.GetFPS(), 0u);
}
