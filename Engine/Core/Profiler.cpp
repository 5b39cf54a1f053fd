#include "Engine/Core/Profiler.h"

#include "Engine/Core/Log.h"
#include "Engine/Platform/Platform.h"

#include <cstdio>

namespace Tess
{

namespace
{
const std::string kDashes(40, '-');
}

CProfiler::CProfiler() : CProfiler(GetClock()) {}

CProfiler::CProfiler(IClock& clock) : m_clock(clock) {}

void CProfiler::StartSample(const std::string& name)
{
    int index = FindRecord(name);
    if (index < 0)
    {
        index = FindFreeRecord();
        if (index < 0)
            return;
        m_records[index].name = name;
        m_records[index].active = true;
        m_records[index].time = 0.0f;
    }
    if (m_running[index])
        return;
    m_running[index] = true;
    m_startCounters[index] = m_clock.QueryPerformanceCounter();
}

void CProfiler::StopSample(const std::string& name)
{
    const int index = FindRecord(name);
    if (index < 0 || !m_running[index])
        return;
    m_running[index] = false;
    const std::int64_t frequency = m_clock.QueryPerformanceFrequency();
    if (frequency <= 0)
        return;
    const std::int64_t counts = m_clock.QueryPerformanceCounter() - m_startCounters[index];
    m_records[index].time += static_cast<float>(static_cast<double>(counts) / frequency);
}

void CProfiler::Report() const
{
    CLog& log = GetLog();
    if (!m_records[0].active)
    {
        log.Write(LOG_NONE, "ERROR: No profiles were active...");
        return;
    }
    const float total = m_records[0].time;
    log.Write(LOG_NONE, kDashes);
    log.Write(LOG_NONE, "          Tesserant Profiler           ");
    log.Write(LOG_NONE, kDashes);
    log.Write(LOG_NONE, "  Time  |    %    |  Sample Name        ");
    log.Write(LOG_NONE, kDashes);
    for (int i = 0; i < kMaxSamples && m_records[i].active; ++i)
    {
        const Record& record = m_records[i];
        char time[32];
        char share[32];
        std::snprintf(time, sizeof time, "%7.4f", record.time);
        // A total of zero (a sample that never ran) shares nothing rather than printing nan.
        std::snprintf(share, sizeof share, "%7f", total > 0.0f ? record.time / total : 0.0f);
        log.Write(LOG_NONE, std::string(time) + " | " + share + " | " + record.name);
    }
}

const CProfiler::Record& CProfiler::GetRecord(int index) const
{
    static const Record kNone;
    return index >= 0 && index < kMaxSamples ? m_records[index] : kNone;
}

void CProfiler::Reset()
{
    m_records = {};
    m_startCounters = {};
    m_running = {};
}

int CProfiler::FindRecord(const std::string& name) const
{
    for (int i = 0; i < kMaxSamples && m_records[i].active; ++i)
        if (m_records[i].name == name)
            return i;
    return -1;
}

int CProfiler::FindFreeRecord() const
{
    for (int i = 0; i < kMaxSamples; ++i)
        if (!m_records[i].active)
            return i;
    return -1;
}

CProfiler& GetProfiler()
{
    static CProfiler profiler;
    return profiler;
}

} // namespace Tess
