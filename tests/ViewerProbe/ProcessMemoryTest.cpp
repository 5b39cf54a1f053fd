#include "tools/ViewerProbe/ProcessMemory.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace Tess;

// Many small blocks freed all but the last: the heap cannot shrink from its top, so the freed
// pages stay resident until they are given back.
TEST(ProcessMemory, ReleasingTheHeapGivesBackFreedPagesItStillHolds)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer's allocator replaces the C heap measured here";
#endif
    constexpr std::size_t kBlocks = 64 * 1024;
    constexpr std::size_t kBlockSize = 1000; // 64 MB in all, each block below the mmap threshold
    std::vector<std::unique_ptr<char[]>> blocks(kBlocks);
    for (auto& block : blocks)
    {
        block.reset(new char[kBlockSize]);
        block[0] = 1;
        for (std::size_t i = 0; i < kBlockSize; i += 64)
            block[i] = static_cast<char>(i);
    }
    const long long heapWhileHeld = GetHeapInUseKib();
    for (std::size_t i = 0; i + 1 < kBlocks; ++i)
        blocks[i].reset();
    const long long residentBefore = GetResidentMemoryKib();
    const long long heapAfterFree = GetHeapInUseKib();

    ReleaseFreeHeapMemory();
    const long long residentAfter = GetResidentMemoryKib();

    ASSERT_GT(residentBefore, 0);
    EXPECT_LT(heapAfterFree, heapWhileHeld - 50 * 1024) << "the heap in use counts the freed blocks out";
    EXPECT_LT(residentAfter, residentBefore - 40 * 1024) << "about 64 MB of free pages go back";
}
