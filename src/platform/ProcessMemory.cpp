// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProcessMemory.h"

#include <cstdlib> // defines __GLIBC__ on glibc systems
#if defined(__GLIBC__)
#include <malloc.h>
#endif

void ProcessMemory::releaseFreeMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
