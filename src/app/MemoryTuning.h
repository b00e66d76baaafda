#pragma once

// The visible history is recomputed as the user types; with a large history a copied result is tens of megabytes.
// glibc serves allocations that large straight from mmap and unmaps them when they are freed, so every
// recomputation would fault in fresh pages, which costs about as much as the computation itself. This keeps blocks
// up to 64 MiB in the heap, where the next result reuses them: a copied list of up to about 100,000 items. Larger
// blocks, such as the text of a very large item and the copies its loading makes for a moment, keep their own
// mapping and go back to the system when they are freed. Call it once, at the start of the process.
void tuneMemoryAllocatorForLargeLists();

// Gives the system back the free pages anywhere in the heap, not only at its top, when tens of megabytes lie unused
// there: after a whole history was read, the copies that reading made for a moment would otherwise stay resident
// between the items that were kept.
void releaseFreedMemory();

// Gives the system back every free page of the heap, whatever their amount. For a moment when much was allocated and
// freed and little will be soon: once the start-up's work is done, the reading of the history and the layout of the
// window leave several megabytes free that an idle program would otherwise keep resident.
void releaseAllFreedMemory();
