#pragma once
// How the Linux process's heap treats large blocks. Loading a large part allocates and frees
// blocks of tens of megabytes one after the other (the importer's scene, the joined mesh, the
// outline's edge mesh and its buffers). By default the C library gives each such block its own
// mapping and hands it back to the system when it is freed, so the next one is mapped again, and
// every page is faulted in afresh; on a virtual machine that costs about 3 ms a megabyte, a
// second or more for a 200,000-triangle part. Keeping freed blocks in the heap lets the next
// large block reuse pages already faulted in.

namespace Tess::Platform
{

// Large blocks come from the heap and freed memory stays there for reuse. Called once, before
// the program's first large allocation; later calls change nothing.
void KeepLargeBlocksInHeap();

} // namespace Tess::Platform
