// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>

/**
 * Pixel buffers for the screen-sized canvases. A fresh 4 KiB page costs a page fault on first touch,
 * which for a 33 MB canvas at 4K adds up to a noticeable part of a change; buffers from here
 * are backed by transparent huge pages where the kernel allows them, so a change takes one fault per
 * 2 MiB. They go back to the system as soon as the image is destroyed, so nothing big stays while idle.
 * Pictures are not decoded into them: that would pass by Qt's allocation limit, the guard against a
 * picture too large for memory.
 */
class LargeImage
{
public:
    /** Buffers below this size come from the ordinary allocator. */
    static constexpr qsizetype HugePageThreshold = 2 * 1024 * 1024;

    /** An uninitialised image; a null image when the memory cannot be had. */
    static QImage allocate(QSize size, QImage::Format format);
    /** Hands memory freed by the allocator back to the system; call once a change is over. */
    static void releaseFreeMemory();
};
