#include "MemoryTuning.h"

#include <malloc.h>

void tuneMemoryAllocatorForLargeLists()
{
    constexpr int megabyte = 1024 * 1024;
    // Blocks up to this size come from the heap instead of their own mapping.
    mallopt(M_MMAP_THRESHOLD, 64 * megabyte);
    // Free memory at the top of the heap up to this size stays there for the next large list.
    mallopt(M_TRIM_THRESHOLD, 128 * megabyte);
}

void releaseFreedMemory()
{
    // Pages given back are faulted in afresh when the heap grows again: worth it only when a sizeable part of the
    // heap lies unused, at least as much as is in use (a history whose caches are about to be filled again would
    // otherwise pay for it on its first search).
    constexpr size_t worthReleasing = 32 * 1024 * 1024;
    const struct mallinfo2 info = mallinfo2();
    if (info.fordblks > worthReleasing && info.fordblks > info.uordblks)
        malloc_trim(0);
}

void releaseAllFreedMemory()
{
    malloc_trim(0);
}
