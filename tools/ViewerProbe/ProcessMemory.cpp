#include "tools/ViewerProbe/ProcessMemory.h"

#include <cstdio>

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <unistd.h>

namespace Tess
{

long long GetResidentMemoryKib()
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

long long GetHeapInUseKib()
{
#if defined(__GLIBC__)
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long long>((info.uordblks + info.hblkhd) / 1024);
#else
    return -1;
#endif
}

void ReleaseFreeHeapMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace Tess
