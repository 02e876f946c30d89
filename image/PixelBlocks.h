// Heap blocks for the pixels of images: the C heap, with the last large block released kept for
// the next picture of about its size.
#pragma once

#include <cstddef>

namespace detail
{
// A block of size bytes from the C heap (freed through ReleasePixelBlock or free), or null;
// its first cleared bytes are zero, the rest may hold what a released picture left there.
void* AllocatePixelBlock(size_t size, size_t cleared);
void ReleasePixelBlock(void* block);
// Frees the kept block, if any (heap accounting in tests, or a program trimming its memory).
void ReleaseSparePixelBlock();
}
