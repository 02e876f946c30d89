// Pixel blocks: fresh pages cost a fault each on first touch, a noticeable share of decoding a
// video frame, and the thumbnail threads decode frame after frame of one size. So the block of
// the last large picture released is kept and handed to the next picture of about its size;
// one block at most, and none beyond the size of a large photo, is held.
#include "image/PixelBlocks.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <malloc.h>

namespace
{
const size_t kSpareBlockMin = (size_t)1 << 20;
const size_t kSpareBlockMax = (size_t)32 << 20;
void* volatile g_spareBlock = nullptr;

bool Keepable(size_t size)
{
    return size >= kSpareBlockMin && size <= kSpareBlockMax;
}

void* TakeSpare()
{
    return InterlockedExchangePointer((void* volatile*)&g_spareBlock, nullptr);
}
}

namespace detail
{
void* AllocatePixelBlock(size_t size, size_t cleared)
{
    if (Keepable(size))
    {
        void* spare = TakeSpare();
        if (spare)
        {
            // A much larger block would hold memory the picture does not need.
            size_t held = _msize(spare);
            if (held >= size && held - size <= size / 4)
            {
                memset(spare, 0, cleared < size ? cleared : size);
                return spare;
            }
            free(spare);
        }
    }
    return calloc(1, size);
}

void ReleasePixelBlock(void* block)
{
    if (block && Keepable(_msize(block)))
        block = InterlockedExchangePointer((void* volatile*)&g_spareBlock, block);
    free(block);
}

void ReleaseSparePixelBlock()
{
    free(TakeSpare());
}
}
