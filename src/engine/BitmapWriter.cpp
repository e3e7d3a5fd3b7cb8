// SPDX-License-Identifier: GPL-3.0-or-later
#include "BitmapWriter.h"

#include "AtomicFileWriter.h"

#include <QtEndian>
#include <algorithm>
#include <vector>

namespace {

constexpr int FileHeaderSize = 14;
constexpr int InfoHeaderSize = 40;

void put16(uchar*& at, quint16 value)
{
    qToLittleEndian(value, at);
    at += 2;
}

void put32(uchar*& at, quint32 value)
{
    qToLittleEndian(value, at);
    at += 4;
}

std::vector<uchar> headers(const QImage& image, quint32 rowBytes)
{
    std::vector<uchar> bytes(FileHeaderSize + InfoHeaderSize);
    uchar* at = bytes.data();
    const quint32 pixelBytes = rowBytes * quint32(image.height());
    put16(at, 0x4d42); // "BM"
    put32(at, FileHeaderSize + InfoHeaderSize + pixelBytes);
    put32(at, 0);
    put32(at, FileHeaderSize + InfoHeaderSize);
    put32(at, InfoHeaderSize);
    put32(at, quint32(image.width()));
    put32(at, quint32(image.height())); // positive: rows run bottom-up
    put16(at, 1);
    put16(at, 24);
    put32(at, 0); // no compression
    put32(at, pixelBytes);
    put32(at, quint32(image.dotsPerMeterX()));
    put32(at, quint32(image.dotsPerMeterY()));
    put32(at, 0);
    put32(at, 0);
    return bytes;
}

/** The pixel rows, bottom row first, as B, G, R triples padded to four bytes, written in large blocks. */
bool writePixels(const AtomicFileWriter::Sink& write, const QImage& image, quint32 rowBytes)
{
    constexpr std::size_t BlockBytes = 1 << 20;
    const int rowsPerBlock = std::max(1, int(BlockBytes / rowBytes));
    std::vector<uchar> block(std::size_t(rowsPerBlock) * rowBytes, 0);
    int inBlock = 0;
    for (int y = image.height() - 1; y >= 0; --y) {
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uchar* out = block.data() + std::size_t(inBlock) * rowBytes;
        for (int x = 0; x < image.width(); ++x) {
            *out++ = uchar(qBlue(in[x]));
            *out++ = uchar(qGreen(in[x]));
            *out++ = uchar(qRed(in[x]));
        }
        if (++inBlock == rowsPerBlock || y == 0) {
            if (!write(reinterpret_cast<const char*>(block.data()), qint64(inBlock) * rowBytes))
                return false;
            inBlock = 0;
        }
    }
    return true;
}

} // namespace

bool BitmapWriter::write(const QImage& source, const QString& path, FileSystem& fs, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error != nullptr)
            *error = why;
        return false;
    };
    if (source.isNull())
        return fail(QStringLiteral("Could not save %1: there is no picture to save.").arg(path));
    const QImage image = source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32
                             ? source
                             : source.convertToFormat(QImage::Format_RGB32);
    const quint32 rowBytes = (quint32(image.width()) * 3 + 3) & ~3u;
    if (quint64(rowBytes) * quint64(image.height()) > 0x7fffffffu)
        return fail(
            QStringLiteral("Could not save %1: the picture is too large for a bitmap file.").arg(path));

    AtomicFileWriter writer(fs);
    const bool written = writer.replace(path, [&](const AtomicFileWriter::Sink& write) {
        const std::vector<uchar> head = headers(image, rowBytes);
        return write(reinterpret_cast<const char*>(head.data()), qint64(head.size())) &&
               writePixels(write, image, rowBytes);
    });
    return written || fail(writer.errorString());
}

int BitmapWriter::removeStaleTemporaries(FileSystem& fs, const QString& path)
{
    return AtomicFileWriter::removeStaleTemporaries(fs, path);
}
