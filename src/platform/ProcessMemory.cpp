// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProcessMemory.h"

#include <cstdlib> // defines __GLIBC__ on glibc systems
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

/** glibc's own starting threshold: anything larger is mapped on its own. */
constexpr int LargeBufferBytes = 128 * 1024;

} // namespace

void ProcessMemory::keepLargeBuffersApart()
{
#if defined(__GLIBC__)
    // Left to itself, glibc raises the threshold to the size of each large buffer freed (up to 32 MiB),
    // so the next change's rows and canvases come from the change thread's arena, whose freed pages
    // malloc_trim does not hand back: 35 MiB more after the second 4K change. A fixed threshold keeps
    // them mappings of their own, returned whole when freed.
    mallopt(M_MMAP_THRESHOLD, LargeBufferBytes);
#endif
}

void ProcessMemory::releaseFreeMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
