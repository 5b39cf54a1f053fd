#pragma once
// What the process holds in memory, as the system counts it, and a way to give back what the C
// heap holds but no longer uses. Linux and glibc: elsewhere the figures are -1 and the release
// does nothing.

namespace Tess
{

// Resident set size in KiB, or -1 where it cannot be read.
long long GetResidentMemoryKib();

// Bytes the C heap has handed out and not taken back, in KiB, or -1. Set against the resident
// size it tells the program's allocations from what the driver maps or the kernel pages in.
long long GetHeapInUseKib();

// Returns the C heap's free pages to the system. The heap keeps freed memory resident: the
// graphics driver's short-lived allocations leave free pages scattered between live blocks, so
// without this a reading of the resident size says as much about the heap as about the program.
void ReleaseFreeHeapMemory();

} // namespace Tess
