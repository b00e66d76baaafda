#include "MemoryTuning.h"

#include <malloc.h>

void tuneMemoryAllocatorForLargeLists()
{
    constexpr int megabyte = 1024 * 1024;
    // Blocks up to this size come from the heap instead of their own mapping.
    mallopt(M_MMAP_THRESHOLD, 256 * megabyte);
    // Free memory at the top of the heap up to this size stays there for the next large list.
    mallopt(M_TRIM_THRESHOLD, 128 * megabyte);
}
