#pragma once
// CTimer: the frame timer. Update once per frame; it measures the time since the previous update
// with the high-resolution counter and counts the frames of each one-second window.

#include <cstdint>

namespace Tess
{

class IClock;

class CTimer
{
public:
    // Reads its time from `clock`; by default the platform's.
    CTimer();
    explicit CTimer(IClock& clock);

    // Advances one frame.
    void Update();
    // Seconds between the last two updates.
    float GetElapsedTime() const { return m_frameTime; }
    // Frames counted in the last completed one-second window (0 during the first second).
    std::uint32_t GetFPS() const { return m_framesPerSecond; }

private:
    IClock& m_clock;
    std::uint32_t m_currentTick = 0;
    std::uint32_t m_previousTick = 0;
    std::uint32_t m_startTick = 0;
    float m_frameTime = 0.0f;
    std::uint32_t m_framesPerSecond = 0;
    std::uint32_t m_frameCount = 0;
    std::int64_t m_frequency = 0;
    std::int64_t m_startCounter = 0;
    std::int64_t m_currentCounter = 0;
    std::int64_t m_windowStartCounter = 0;
    std::int64_t m_previousCounter = 0;
};

} // namespace Tess
