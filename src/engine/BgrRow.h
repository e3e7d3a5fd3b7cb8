// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>

/**
 * Writes row `y` of a 32-bit RGB image to `out` as `image.width()` B, G, R triples, alpha left out: the
 * order a bitmap file stores and AreaScaler takes.
 */
inline void bgrRow(const QImage& image, int y, uchar* out)
{
    const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    // Read once: QImage::width() is a call into Qt, which per pixel cost more than the copy.
    const int width = image.width();
    for (int x = 0; x < width; ++x) {
        *out++ = uchar(qBlue(in[x]));
        *out++ = uchar(qGreen(in[x]));
        *out++ = uchar(qRed(in[x]));
    }
}
