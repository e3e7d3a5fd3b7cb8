// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DecodeDeadline.h"

#include <QSize>

class QIODevice;

class AreaScaler;

/**
 * Decodes a baseline colour JPEG in strips of rows, each strip scaled while the next one decodes (see
 * StripHandoff), so that scaling costs no time beside the decode on a free core and the photo is never
 * held whole. Qt's reader gives no strips; libjpeg gives them with the same decoder settings Qt
 * uses, so the pixels are the ones Qt would give.
 */
class JpegStrips
{
public:
    /**
     * Decodes the JPEG open in `device`, from its current place, reduced by `scaleNumerator`/8 and feeds its
     * rows to `scaler`, top to bottom. False, before or part way through, when the file is not a baseline
     * three-channel JPEG decoding to exactly `expected`, when the decoder meets anything amiss or when the
     * deadline passes; the caller then decodes it the plain way, which decides what such a file shows.
     */
    [[nodiscard]] static bool decode(QIODevice& device, int scaleNumerator, QSize expected,
                                     AreaScaler& scaler, const DecodeDeadline& deadline = DecodeDeadline());
};
