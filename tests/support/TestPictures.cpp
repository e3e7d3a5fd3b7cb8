// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestPictures.h"

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstdlib>

QImage TestPictures::quadrants(QSize size)
{
    const int w = size.width() / 2, h = size.height() / 2;
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y,
                           y < h ? (x < w ? qRgb(255, 0, 0) : qRgb(0, 0, 255))
                                 : (x < w ? qRgb(0, 255, 0) : qRgb(255, 255, 0)));
    return image;
}

QString TestPictures::written(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    const bool done = QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
                      file.write(bytes) == bytes.size();
    return done ? path : QString();
}

QByteArray TestPictures::jpeg(const QImage& image, quint16 orientation, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "jpeg", quality);
    // APP1 right after the start marker: "Exif", a big-endian TIFF header and one directory of one entry,
    // Orientation (0x0112), SHORT, count 1, the value padded to four bytes, no next directory.
    const QByteArray payload = QByteArray("Exif\0\0MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01", 24) +
                               char(orientation >> 8) + char(orientation & 0xff) + QByteArray(6, '\0');
    const int length = int(payload.size()) + 2;
    return bytes.insert(2, QByteArray("\xff\xe1", 2) + char(length >> 8) + char(length & 0xff) + payload);
}

QImage TestPictures::areaAverage(const QImage& source, QSize size)
{
    // Target pixel t of n covers [t * s / n, (t + 1) * s / n) of a source length s.
    const auto span = [](int t, int n, int s) {
        return std::pair<double, double>(double(t) * s / n, double(t + 1) * s / n);
    };
    QImage out(size, QImage::Format_RGB32);
    for (int ty = 0; ty < size.height(); ++ty) {
        const auto [top, bottom] = span(ty, size.height(), source.height());
        for (int tx = 0; tx < size.width(); ++tx) {
            const auto [left, right] = span(tx, size.width(), source.width());
            double sum[3] = {}, area = 0;
            for (int y = int(top); y < bottom; ++y) {
                const double h = std::min(bottom, y + 1.0) - std::max(top, double(y));
                for (int x = int(left); x < right; ++x) {
                    const double w = (std::min(right, x + 1.0) - std::max(left, double(x))) * h;
                    const QRgb p = source.pixel(x, y);
                    sum[0] += w * qRed(p);
                    sum[1] += w * qGreen(p);
                    sum[2] += w * qBlue(p);
                    area += w;
                }
            }
            out.setPixel(tx, ty,
                         qRgb(int(std::lround(sum[0] / area)), int(std::lround(sum[1] / area)),
                              int(std::lround(sum[2] / area))));
        }
    }
    return out;
}

QString TestPictures::mismatch(const QImage& got, const QImage& expected, int tolerance, const QRect& ignored)
{
    if (got.size() != expected.size())
        return QStringLiteral("%1 x %2 made, %3 x %4 expected")
            .arg(got.width())
            .arg(got.height())
            .arg(expected.width())
            .arg(expected.height());
    for (int y = 0; y < got.height(); ++y) {
        for (int x = 0; x < got.width(); ++x) {
            const QRgb a = got.pixel(x, y), b = expected.pixel(x, y);
            const int off = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                      std::abs(qBlue(a) - qBlue(b))});
            if (off > tolerance && !ignored.contains(x, y))
                return QStringLiteral("pixel %1,%2 is %3, %4 expected")
                    .arg(x)
                    .arg(y)
                    .arg(QColor(a).name(), QColor(b).name());
        }
    }
    return {};
}
