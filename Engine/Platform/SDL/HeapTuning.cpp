#include "Engine/Platform/SDL/HeapTuning.h"

#include <malloc.h>

namespace Tess::Platform
{

namespace
{
// Blocks up to this size come from the heap instead of a mapping of their own: larger than any
// one block a part of the largest model the importer accepts needs.
constexpr int kLargestHeapBlock = 512 * 1024 * 1024;
} // namespace

void KeepLargeBlocksInHeap()
{
    static const bool tuned = [] {
        // A fixed threshold also stops the library from moving it on its own, and with trimming
        // left to the same size, freed pages stay for the next block.
        mallopt(M_MMAP_THRESHOLD, kLargestHeapBlock);
        mallopt(M_TRIM_THRESHOLD, kLargestHeapBlock);
        return true;
    }();
    (void)tuned;
}

} // namespace Tess::Platform
