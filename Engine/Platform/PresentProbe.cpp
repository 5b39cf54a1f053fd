#include "Engine/Platform/PresentProbe.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <malloc.h>
#include <unistd.h>

namespace Tess
{

namespace
{
std::int64_t Nanoseconds(std::chrono::nanoseconds duration)
{
    return static_cast<std::int64_t>(duration.count());
}

// Resident set size in KiB from /proc/self/statm (its second field, in pages), or -1 where the
// file does not exist.
long long ResidentKib()
{
    std::FILE* file = std::fopen("/proc/self/statm", "r");
    if (!file)
        return -1;
    unsigned long long sizePages = 0;
    unsigned long long residentPages = 0;
    const int fields = std::fscanf(file, "%llu %llu", &sizePages, &residentPages);
    std::fclose(file);
    if (fields != 2)
        return -1;
    const long pageSize = sysconf(_SC_PAGESIZE);
    return static_cast<long long>(residentPages) * (pageSize > 0 ? pageSize : 4096) / 1024;
}
// Bytes the C heap has handed out and not taken back, in KiB: it tells growth of the program's
// own allocations from growth of what the driver maps or the kernel pages in.
long long HeapInUseKib()
{
#if defined(__GLIBC__)
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long long>((info.uordblks + info.hblkhd) / 1024);
#else
    return -1;
#endif
}
} // namespace

CPresentProbe::CPresentProbe()
{
    if (const char* path = std::getenv("TESS_PRESENT_LOG"))
        m_path = path;
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
    Append("frame " + std::to_string(m_count) + " rss_kib " + std::to_string(ResidentKib()) + " heap_kib " +
           std::to_string(HeapInUseKib()));
}

} // namespace Tess
