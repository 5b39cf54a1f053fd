#pragma once
// Helpers shared by the scene tests: a clock driven by hand, so a CTimer yields exactly the
// frame time a test asks for, and matrix comparison.

#include "Engine/Core/Matrix.h"
#include "Engine/Core/Timer.h"
#include "Engine/Platform/Clock.h"

#include <gtest/gtest.h>

namespace Tess::Testing
{

class CManualClock : public IClock
{
public:
    std::uint32_t GetTickCount() override { return static_cast<std::uint32_t>(m_counter / 1000); }
    std::int64_t QueryPerformanceCounter() override { return m_counter; }
    std::int64_t QueryPerformanceFrequency() override { return kFrequency; }

    void Advance(double seconds) { m_counter += static_cast<std::int64_t>(seconds * kFrequency); }

private:
    static constexpr std::int64_t kFrequency = 1000000;
    std::int64_t m_counter = 5000000;
};

// A timer whose next frame time is chosen by the test.
class CSteppedTimer
{
public:
    CSteppedTimer() : m_timer(m_clock) {}
    // Advances the clock and the timer by one frame of `seconds`.
    CTimer& Step(double seconds)
    {
        m_clock.Advance(seconds);
        m_timer.Update();
        return m_timer;
    }
    CTimer& Timer() { return m_timer; }

private:
    CManualClock m_clock;
    CTimer m_timer;
};

inline void ExpectMatrixNear(const Matrix4& expected, const Matrix4& actual, float tolerance = 1e-5f)
{
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            EXPECT_NEAR(expected.m[row][column], actual.m[row][column], tolerance)
                << "at row " << row << ", column " << column;
}

inline void ExpectVectorNear(const Vector3& expected, const Vector3& actual, float tolerance = 1e-5f)
{
    EXPECT_NEAR(expected.x, actual.x, tolerance);
    EXPECT_NEAR(expected.y, actual.y, tolerance);
    EXPECT_NEAR(expected.z, actual.z, tolerance);
}

} // namespace Tess::Testing
