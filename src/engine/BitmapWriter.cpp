// SPDX-License-Identifier: GPL-3.0-or-later
#include "BitmapWriter.h"

#include "BgrRow.h"

#include <QtEndian>
#include <algorithm>

namespace {

constexpr int FileHeaderSize = 14;
constexpr int InfoHeaderSize = 40;
constexpr int PixelsOffset = FileHeaderSize + InfoHeaderSize;

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

/** Bytes of one row in the file: B, G, R triples padded to four bytes. */
quint32 rowBytes(const QImage& image)
{
    return (quint32(image.width()) * 3 + 3) & ~3u;
}

std::vector<uchar> headers(const QImage& image)
{
    std::vector<uchar> bytes(PixelsOffset);
    uchar* at = bytes.data();
    const quint32 pixelBytes = rowBytes(image) * quint32(image.height());
    put16(at, 0x4d42); // "BM"
    put32(at, PixelsOffset + pixelBytes);
    put32(at, 0);
    put32(at, PixelsOffset);
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

/** Where row `y` of `image` starts in the file: the bottom row comes first. */
qint64 rowOffset(const QImage& image, int y)
{
    return PixelsOffset + qint64(image.height() - 1 - y) * rowBytes(image);
}

} // namespace

BitmapWriter::BitmapWriter(FileSystem& fs) : m_file(fs) {}

bool BitmapWriter::write(const QImage& image, const QString& path, FileSystem& fs, QString* error)
{
    BitmapWriter writer(fs);
    return writer.begin(path, error) && writer.finish(image, error);
}

bool BitmapWriter::begin(const QString& path, QString* error)
{
    m_path = path;
    forgetRows();
    const Result<> begun = m_file.begin(path);
    if (!begun && error != nullptr)
        *error = begun.reason();
    return begun.ok();
}

void BitmapWriter::writeRow(const QImage& canvas, int y)
{
    if (m_written.size() != std::size_t(canvas.height()))
        m_written.assign(std::size_t(canvas.height()), 0);
    m_row.resize(rowBytes(canvas), 0);
    bgrRow(canvas, y, m_row.data());
    m_file.writeAt(rowOffset(canvas, y), reinterpret_cast<const char*>(m_row.data()), qint64(m_row.size()));
    m_written[std::size_t(y)] = 1;
}

void BitmapWriter::forgetRows()
{
    m_written.clear();
}

bool BitmapWriter::finish(const QImage& canvas, QString* error)
{
    auto fail = [this, error](const QString& why) {
        forgetRows();
        if (error != nullptr)
            *error = why;
        return false;
    };
    if (canvas.isNull())
        return fail(QStringLiteral("Could not save %1: there is no picture to save.").arg(m_path));
    const QImage image = canvas.format() == QImage::Format_RGB32 || canvas.format() == QImage::Format_ARGB32
                             ? canvas
                             : canvas.convertToFormat(QImage::Format_RGB32);
    const quint32 bytesPerRow = rowBytes(image);
    if (quint64(bytesPerRow) * quint64(image.height()) > 0x7fffffffu)
        return fail(
            QStringLiteral("Could not save %1: the picture is too large for a bitmap file.").arg(m_path));
    if (m_written.size() != std::size_t(image.height()))
        m_written.assign(std::size_t(image.height()), 0);

    const std::vector<uchar> head = headers(image);
    m_file.writeAt(0, reinterpret_cast<const char*>(head.data()), qint64(head.size()));
    // The rows not written yet, bottom row first, in runs of up to a megabyte.
    const int rowsPerBlock = std::max(1, int((1 << 20) / bytesPerRow));
    std::vector<uchar> block(std::size_t(rowsPerBlock) * bytesPerRow, 0);
    int inBlock = 0;
    for (int y = image.height() - 1; y >= 0; --y) {
        if (!m_written[std::size_t(y)])
            bgrRow(image, y, block.data() + std::size_t(inBlock++) * bytesPerRow);
        const bool runEnds = y == 0 || m_written[std::size_t(y - 1)] || inBlock == rowsPerBlock;
        if (inBlock > 0 && runEnds) {
            m_file.writeAt(rowOffset(image, y + inBlock - 1), reinterpret_cast<const char*>(block.data()),
                           qint64(inBlock) * bytesPerRow);
            inBlock = 0;
        }
    }
    forgetRows();
    const Result<> committed = m_file.commit();
    return committed || fail(committed.reason());
}
