#pragma once
// CProfiler: a fixed table of 50 named time samples and their report in the log. Samples are
// started and stopped by name and accumulate their time; record 0 is the total the others are
// compared with, so the first sample a program starts should be the one around everything else
// (the viewer's whole frame).

#include <array>
#include <cstdint>
#include <string>

namespace Tess
{

class IClock;

class CProfiler
{
public:
    static constexpr int kMaxSamples = 50;

    struct Record
    {
        std::string name;
        bool active = false;
        float time = 0.0f; // seconds, accumulated
    };

    // Reads its time from `clock`; by default the platform's.
    CProfiler();
    explicit CProfiler(IClock& clock);

    // Starts timing the named sample, taking the next free record the first time a name is
    // seen. Starting a running sample, or a new one when the table is full, does nothing.
    void StartSample(const std::string& name);
    // Adds the time since the matching start to the sample; does nothing if it is not running.
    void StopSample(const std::string& name);

    // Writes the table to the log: a header, then one line per active record from record 0.
    void Report() const;

    const Record& GetRecord(int index) const;
    // Forgets every sample (a fresh table).
    void Reset();

private:
    int FindRecord(const std::string& name) const;
    int FindFreeRecord() const;

    IClock& m_clock;
    std::array<Record, kMaxSamples> m_records;
    std::array<std::int64_t, kMaxSamples> m_startCounters{};
    std::array<bool, kMaxSamples> m_running{};
};

// The program's profiler table.
CProfiler& GetProfiler();

} // namespace Tess
