// SPDX-License-Identifier: GPL-3.0-or-later
#include "JpegStrips.h"

#include "AreaScaler.h"
#include "JpegDecompressor.h"
#include "StripHandoff.h"

#include <vector>

namespace {

// Large enough that handing a strip over costs next to nothing beside its rows.
constexpr int StripRows = 64;

/** Whether the header is one for strips, asked for with Qt's decoder settings at the expected size. */
bool takes(JpegDecompressor& jpeg, int scaleNumerator, QSize expected)
{
    const jpeg_decompress_struct& info = jpeg.info();
    if (info.progressive_mode || info.num_components != 3 ||
        (info.jpeg_color_space != JCS_YCbCr && info.jpeg_color_space != JCS_RGB) ||
        !jpeg.setOutput(scaleNumerator, JCS_EXT_BGR))
        return false;
    return QSize(int(info.output_width), int(info.output_height)) == expected && !jpeg.warned();
}

} // namespace

bool JpegStrips::decode(QIODevice& device, int scaleNumerator, QSize expected, AreaScaler& scaler,
                        const DecodeDeadline& deadline)
{
    JpegDecompressor jpeg(device, deadline);
    if (!jpeg.readHeader() || !takes(jpeg, scaleNumerator, expected) || !jpeg.start())
        return false;
    // Two strips: one is scaled while the next decodes into the other.
    const std::size_t rowBytes = std::size_t(expected.width()) * 3;
    std::vector<uchar> strips[2] = {std::vector<uchar>(rowBytes * StripRows),
                                    std::vector<uchar>(rowBytes * StripRows)};
    StripHandoff handoff(scaler, rowBytes);
    bool ok = true;
    for (int k = 0; ok && jpeg.info().output_scanline < jpeg.info().output_height; ++k) {
        uchar* strip = strips[k % 2].data();
        int rows = 0;
        ok = jpeg.readRows(strip, StripRows, &rows);
        handoff.settle();
        if (ok)
            handoff.offer(strip, rows);
    }
    handoff.settle();
    return ok && !jpeg.warned();
}
