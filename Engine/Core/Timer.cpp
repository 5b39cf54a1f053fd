#include "Engine/Core/Timer.h"

#include "Engine/Platform/Platform.h"

namespace Tess
{

CTimer::CTimer() : CTimer(GetClock()) {}

CTimer::CTimer(IClock& clock) : m_clock(clock)
{
    m_framesPerSecond = 0;
    m_frameCount = 0;
    m_startTick = m_clock.GetTickCount();
    m_frameTime = 0.0f;
    m_currentTick = m_previousTick = m_clock.GetTickCount();
    m_frequency = m_clock.QueryPerformanceFrequency();
    m_currentCounter = m_clock.QueryPerformanceCounter();
    m_startCounter = m_windowStartCounter = m_currentCounter;
}

void CTimer::Update()
{
    // The tick difference is only a first estimate; the counter below replaces it. The unsigned
    // subtraction keeps it right across a wrap of the tick count.
    m_previousTick = m_currentTick;
    m_currentTick = m_clock.GetTickCount();
    m_frameTime = static_cast<float>(m_currentTick - m_previousTick) * 0.001f;

    m_previousCounter = m_currentCounter;
    m_currentCounter = m_clock.QueryPerformanceCounter();
    // A clock without a counter frequency keeps the tick estimate rather than dividing by zero.
    if (m_frequency <= 0)
        return;
    const float frequency = static_cast<float>(m_frequency);
    m_frameTime = static_cast<float>(m_currentCounter - m_previousCounter) / frequency;

    // The update that closes a window is counted in neither window.
    const float windowSeconds = static_cast<float>(m_currentCounter - m_windowStartCounter) / frequency;
    if (windowSeconds >= 1.0f)
    {
        m_framesPerSecond = m_frameCount;
        m_frameCount = 0;
        m_windowStartCounter = m_currentCounter;
    }
    else
    {
        ++m_frameCount;
    }
}

} // namespace Tess
