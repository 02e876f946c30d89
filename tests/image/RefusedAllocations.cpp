// The test program's own operator new, which CRefusedAllocations makes fail. It stands alone in
// this file so that no caller has the allocator inlined into it.
#include <cstdlib>
#include <new>

#include "ImageTestSupport.h"

namespace
{
volatile bool g_refuseAllocations = false;
}

void* operator new(std::size_t size)
{
    void* block = g_refuseAllocations ? nullptr : malloc(size ? size : 1);
    if (!block)
        throw std::bad_alloc();
    return block;
}

void operator delete(void* block) noexcept
{
    free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    free(block);
}

namespace imagetest
{
CRefusedAllocations::CRefusedAllocations()
{
    g_refuseAllocations = true;
}

CRefusedAllocations::~CRefusedAllocations()
{
    g_refuseAllocations = false;
}
}
