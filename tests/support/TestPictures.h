// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>

/** Pictures made for tests, and the reference the shrunk ones are held to. */
class TestPictures
{
public:
    /** Quadrants red, blue / green, yellow: each corner of a placed or turned picture can be told apart. */
    static QImage quadrants(QSize size);

    /** Writes `bytes` to `path`, its folders made: the path, or an empty one when it cannot be written. */
    static QString written(const QString& path, const QByteArray& bytes);

    /** `image` as a JPEG whose pixels are stored as given, with an EXIF segment holding `orientation`. */
    static QByteArray jpeg(const QImage& image, quint16 orientation = 1, int quality = 95);

    /**
     * `source` shrunk to `size` by the plain area average: each pixel the mean of the source area under
     * it, each source pixel weighted by how much of it is covered, in double precision.
     */
    static QImage areaAverage(const QImage& source, QSize size);

    /**
     * Where `got` differs from `expected` by more than `tolerance` levels in a channel, outside
     * `ignored`: the first such pixel, told; empty when there is none.
     */
    static QString mismatch(const QImage& got, const QImage& expected, int tolerance,
                            const QRect& ignored = {});
};
