#pragma once
// CPresentProbe: a measuring aid for tools/measure_viewer.sh. When the environment variable
// TESS_PRESENT_LOG names a file, the device that owns the probe appends to it the wall-clock time
// of its first presented frame ("first_present_ns <nanoseconds since the epoch>") and, when it is
// destroyed, how many frames it presented between the first and the last
// ("presents <count> seconds <seconds>"). Every 250th frame it also appends the frame's number and
// the process's resident memory, after giving the C heap's free pages back, and the C heap in use
// ("frame <count> rss_kib <KiB> heap_kib <KiB>"), for tools/soak_viewer.sh.
// Nothing else reads the variable; without it the probe does nothing and costs one test per frame.

#include <cstdint>
#include <string>

namespace Tess
{

class CPresentProbe
{
public:
    CPresentProbe();
    // Writes the summary line, if a frame was presented.
    ~CPresentProbe();
    CPresentProbe(const CPresentProbe&) = delete;
    CPresentProbe& operator=(const CPresentProbe&) = delete;

    // Called after every presented frame.
    void OnPresent();
    bool IsEnabled() const { return !m_path.empty(); }

    // Frames between two resident-memory lines.
    static constexpr std::uint64_t kMemoryInterval = 250;

private:
    void Append(const std::string& line) const;
    void AppendMemoryLine() const;

    std::string m_path;
    std::uint64_t m_count = 0;
    std::int64_t m_firstMonotonicNs = 0;
    std::int64_t m_lastMonotonicNs = 0;
};

} // namespace Tess
