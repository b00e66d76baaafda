#pragma once

// The visible history is recomputed as the user types; with a large history one result is tens of megabytes of
// item copies. glibc serves allocations that large straight from mmap and unmaps them when they are freed, so
// every recomputation faults in fresh pages, which costs about as much as the computation itself. This keeps such
// blocks in the heap, where the next result reuses them. Call it once, at the start of the process.
void tuneMemoryAllocatorForLargeLists();
