// SPDX-License-Identifier: GPL-3.0-or-later
#include "LargeImage.h"

#include <cstdint>
#include <limits>
#include <sys/mman.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

constexpr std::size_t HugePage = 2 * 1024 * 1024;

struct Mapping
{
    void* base;
    std::size_t length;
};

void unmap(void* info)
{
    auto* mapping = static_cast<Mapping*>(info);
    munmap(mapping->base, mapping->length);
    delete mapping;
}

} // namespace

QImage LargeImage::allocate(QSize size, QImage::Format format)
{
    if (size.isEmpty() || format == QImage::Format_Invalid)
        return {};
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    const qsizetype bytesPerLine = ((qsizetype(size.width()) * depth + 31) / 32) * 4;
    const qsizetype bytes = bytesPerLine * size.height();
    if (bytes < HugePageThreshold || bytesPerLine > std::numeric_limits<int>::max())
        return QImage(size, format);

    // One huge page extra so the pixels can start on a huge-page boundary.
    const std::size_t length = std::size_t(bytes) + HugePage;
    void* base = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED)
        return QImage(size, format);
    const auto address = reinterpret_cast<std::uintptr_t>(base);
    auto* pixels = reinterpret_cast<uchar*>((address + HugePage - 1) & ~std::uintptr_t(HugePage - 1));
#if defined(MADV_HUGEPAGE)
    madvise(pixels, std::size_t(bytes), MADV_HUGEPAGE);
#endif
    auto* mapping = new Mapping{base, length};
    QImage image(pixels, size.width(), size.height(), bytesPerLine, format, unmap, mapping);
    if (image.isNull())
        unmap(mapping);
    return image;
}

void LargeImage::releaseFreeMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
