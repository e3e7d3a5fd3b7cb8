// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QRect>

/**
 * Shrinks a picture into a rectangle of another image by averaging the source area under each target
 * pixel (a box filter: no aliasing at any factor). It writes straight into the target, so a photo-sized
 * intermediate image is never made, and it splits the rows between two threads.
 */
class AreaScaler
{
public:
    /**
     * Paints `source` (opaque RGB32, at least as large as `target` in both directions) into `target`
     * of `canvas` (RGB32), each direction scaled on its own. Parts of `target` outside `canvas` are clipped.
     */
    static void shrinkInto(const QImage& source, QImage& canvas, const QRect& target);
};
