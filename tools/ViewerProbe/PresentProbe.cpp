#include "tools/ViewerProbe/PresentProbe.h"

#include "tools/ViewerProbe/ProcessMemory.h"

#include <chrono>
#include <cstdio>
#include <utility>

namespace Tess
{

namespace
{
std::int64_t Nanoseconds(std::chrono::nanoseconds duration)
{
    return static_cast<std::int64_t>(duration.count());
}
} // namespace

CPresentProbe::CPresentProbe(std::string path) : m_path(std::move(path))
{
}

CPresentProbe::~CPresentProbe()
{
    if (!IsEnabled() || m_count == 0)
        return;
    const double seconds = static_cast<double>(m_lastMonotonicNs - m_firstMonotonicNs) * 1e-9;
    char line[96];
    std::snprintf(line, sizeof line, "presents %llu seconds %.3f", static_cast<unsigned long long>(m_count), seconds);
    Append(line);
}

void CPresentProbe::OnPresent()
{
    if (!IsEnabled())
        return;
    m_lastMonotonicNs = Nanoseconds(std::chrono::steady_clock::now().time_since_epoch());
    if (m_count++ > 0)
    {
        if (m_count % kMemoryInterval == 0)
            AppendMemoryLine();
        return;
    }
    m_firstMonotonicNs = m_lastMonotonicNs;
    // Wall-clock time, so that a script can subtract the time it launched the program.
    const std::int64_t wall = Nanoseconds(std::chrono::system_clock::now().time_since_epoch());
    Append("first_present_ns " + std::to_string(wall));
}

void CPresentProbe::Append(const std::string& line) const
{
    if (std::FILE* file = std::fopen(m_path.c_str(), "a"))
    {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
}

void CPresentProbe::AppendMemoryLine() const
{
    // The driver allocates and frees a few megabytes every frame, and the C heap keeps freed pages
    // resident, so the resident size swings with where the heap stands. Giving the free pages back
    // first makes two readings compare what the program holds.
    ReleaseFreeHeapMemory();
    Append("frame " + std::to_string(m_count) + " rss_kib " + std::to_string(GetResidentMemoryKib()) + " heap_kib " +
           std::to_string(GetHeapInUseKib()));
}

} // namespace Tess
