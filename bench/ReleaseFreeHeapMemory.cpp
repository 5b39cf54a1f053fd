// ReleaseFreeHeapMemory on a heap shaped like the viewer's: about 60 MB of small live blocks,
// with a few megabytes of larger blocks freed between them each round, as the driver's per-frame
// working memory leaves them. The OpenGL device pays this once every ten seconds.

#include "Engine/Platform/ProcessMemory.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <vector>

namespace
{

void BM_ReleaseFreeHeapMemory_60MBHeap(benchmark::State& state)
{
    std::mt19937 random(1);
    std::vector<void*> live;
    for (int i = 0; i < 200000; ++i)
        live.push_back(std::malloc(16 + random() % 600));
    std::vector<void*> working;
    for (auto _ : state)
    {
        state.PauseTiming();
        for (int i = 0; i < 1000; ++i)
        {
            auto* block = static_cast<char*>(std::malloc(1000 + random() % 8000));
            block[0] = 1;
            working.push_back(block);
        }
        for (void* block : working)
            std::free(block);
        working.clear();
        state.ResumeTiming();
        Tess::ReleaseFreeHeapMemory();
    }
    for (void* block : live)
        std::free(block);
}

} // namespace

BENCHMARK(BM_ReleaseFreeHeapMemory_60MBHeap)->Unit(benchmark::kMillisecond);
