#include "AllocationCounter.h"
#include "ForwardingDevice.h"

#include <dlfcn.h>
#include <execinfo.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace
{
int g_deviceDepth = 0;
bool g_counting = false;
FrameTest::EUncounted g_uncounted = FrameTest::EUncounted::DeviceCalls;
long g_counted = 0;
constexpr long kStacksShown = 3;
constexpr int kFramesLooked = 32;

// Whether a return address lies in the graphics driver: the OpenGL libraries, Mesa's driver or
// the LLVM it compiles shaders with. dladdr does not allocate.
bool InDriver(void* address)
{
    Dl_info info;
    if (dladdr(address, &info) == 0 || !info.dli_fname)
        return false;
    const char* name = info.dli_fname;
    return std::strstr(name, "LLVM") || std::strstr(name, "_dri.so") || std::strstr(name, "libGL") ||
           std::strstr(name, "libglapi") || std::strstr(name, "libgallium");
}

void NoteAllocation()
{
    if (!g_counting)
        return;
    if (g_uncounted == FrameTest::EUncounted::DeviceCalls && g_deviceDepth > 0)
        return;
    // backtrace and backtrace_symbols_fd write without allocating once backtrace has run once.
    void* frames[kFramesLooked];
    const int depth = backtrace(frames, kFramesLooked);
    if (g_uncounted == FrameTest::EUncounted::DriverCode)
    {
        for (int i = 0; i < depth; ++i)
            if (InDriver(frames[i]))
                return;
    }
    ++g_counted;
    if (g_counted > kStacksShown)
        return;
    static const char kHeader[] = "--- allocation in a frame:\n";
    [[maybe_unused]] const auto written = write(STDERR_FILENO, kHeader, sizeof kHeader - 1);
    backtrace_symbols_fd(frames, depth, STDERR_FILENO);
}

void* Allocate(std::size_t size)
{
    NoteAllocation();
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void* AllocateAligned(std::size_t size, std::align_val_t alignment)
{
    NoteAllocation();
    const auto align = static_cast<std::size_t>(alignment);
    if (void* memory = std::aligned_alloc(align, (size + align - 1) / align * align))
        return memory;
    throw std::bad_alloc();
}
} // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    NoteAllocation();
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    NoteAllocation();
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new(std::size_t size, std::align_val_t alignment) { return AllocateAligned(size, alignment); }
void* operator new[](std::size_t size, std::align_val_t alignment) { return AllocateAligned(size, alignment); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept { std::free(memory); }

namespace FrameTest
{

bool InsideDevice()
{
    return g_deviceDepth > 0;
}

CDeviceScope::CDeviceScope()
{
    ++g_deviceDepth;
}

CDeviceScope::~CDeviceScope()
{
    --g_deviceDepth;
}

void SetUncounted(EUncounted uncounted)
{
    g_uncounted = uncounted;
}

void SetCounting(bool counting)
{
    // The first call of backtrace loads what it needs: done before anything is counted.
    static const bool warmedUp = [] {
        void* frames[4];
        return backtrace(frames, 4) > 0;
    }();
    (void)warmedUp;
    g_counting = counting;
}

void ResetCount()
{
    g_counted = 0;
}

long CountedAllocations()
{
    return g_counted;
}

} // namespace FrameTest
