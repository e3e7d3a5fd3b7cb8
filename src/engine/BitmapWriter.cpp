// SPDX-License-Identifier: GPL-3.0-or-later
#include "BitmapWriter.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
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

bool writeAll(int fd, const uchar* data, std::size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        length -= std::size_t(written);
    }
    return true;
}

/** The pixel rows, bottom row first, as B, G, R triples padded to four bytes, written in large blocks. */
bool writePixels(int fd, const QImage& image, quint32 rowBytes)
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
            if (!writeAll(fd, block.data(), std::size_t(inBlock) * rowBytes))
                return false;
            inBlock = 0;
        }
    }
    return true;
}

QString systemError(const QString& what)
{
    return what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

bool BitmapWriter::write(const QImage& source, const QString& path, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error != nullptr)
            *error = why;
        return false;
    };
    if (source.isNull())
        return fail(QStringLiteral("no picture to save"));
    const QImage image = source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32
                             ? source
                             : source.convertToFormat(QImage::Format_RGB32);
    const quint32 rowBytes = (quint32(image.width()) * 3 + 3) & ~3u;
    if (quint64(rowBytes) * quint64(image.height()) > 0x7fffffffu)
        return fail(QStringLiteral("picture too large for a bitmap file"));

    QByteArray temporary = QFile::encodeName(path) + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return fail(systemError(QStringLiteral("cannot create a file beside %1").arg(path)));
    // mkstemp makes the file private; a wallpaper is no secret, and other readers may need it.
    fchmod(fd, 0644);

    const std::vector<uchar> head = headers(image, rowBytes);
    bool ok = writeAll(fd, head.data(), head.size()) && writePixels(fd, image, rowBytes);
    QString why = ok ? QString() : systemError(QStringLiteral("cannot write %1").arg(path));
    if (::close(fd) != 0 && ok) {
        ok = false;
        why = systemError(QStringLiteral("cannot write %1").arg(path));
    }
    if (ok && std::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0) {
        ok = false;
        why = systemError(QStringLiteral("cannot replace %1").arg(path));
    }
    if (!ok) {
        ::unlink(temporary.constData());
        return fail(why);
    }
    return true;
}
