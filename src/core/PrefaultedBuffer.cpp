// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrefaultedBuffer.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

void PrefaultedBuffer::reserve(QByteArray& bytes, qsizetype capacity)
{
    if (capacity <= bytes.capacity())
        return;
    bytes.reserve(capacity);
    populate(bytes.data() + bytes.size(), bytes.data() + bytes.capacity());
}

void PrefaultedBuffer::populate(const void* begin, const void* end)
{
#if defined(MADV_POPULATE_WRITE)
    const auto from = reinterpret_cast<std::uintptr_t>(begin);
    const auto to = reinterpret_cast<std::uintptr_t>(end);
    if (to - from < std::uintptr_t(Threshold))
        return;
    // Only whole pages: those at the edges may hold other data, and they are only two faults.
    static const auto pageSize = std::uintptr_t(sysconf(_SC_PAGESIZE));
    const std::uintptr_t first = (from + pageSize - 1) & ~(pageSize - 1);
    const std::uintptr_t last = to & ~(pageSize - 1);
    // Older kernels refuse the advice; the pages then come one fault at a time, as usual.
    if (last > first)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
#else
    Q_UNUSED(begin);
    Q_UNUSED(end);
#endif
}
