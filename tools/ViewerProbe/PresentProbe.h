#pragma once
// CPresentProbe: the measuring aid of rigwright_probe (tools/measure_viewer.sh, soak_viewer.sh).
// It appends to the file it is given the wall-clock time of the first presented frame
// ("first_present_ns <nanoseconds since the epoch>") and, when it is destroyed, how many frames
// were presented between the first and the last ("presents <count> seconds <seconds>"). Every
// 250th frame it also appends the frame's number, the process's resident memory after giving
// the C heap's free pages back, and the C heap in use ("frame <count> rss_kib <KiB> heap_kib
// <KiB>"). With an empty path it does nothing.

#include <cstdint>
#include <string>

namespace Tess
{

class CPresentProbe
{
public:
    explicit CPresentProbe(std::string path);
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
