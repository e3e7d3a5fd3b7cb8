// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureLoader.h"

#include "AreaScaler.h"
#include "DeadlineDevice.h"
#include "DecodeBudget.h"
#include "FileSystem.h"
#include "JpegDecompressor.h"
#include "JpegStrips.h"
#include "PictureFormats.h"

#include <QFile>
#include <QImageReader>
#include <QTransform>
#include <QtMath>

namespace {

/** The M of the M/8 scaling Qt's JPEG reader picks for a requested size. */
int jpegScaleNumerator(QSize stored, QSize requested)
{
    const double factor =
        qMin(double(stored.width()) / requested.width(), double(stored.height()) / requested.height());
    return qBound(1, qCeil(8 / factor), 8);
}

int ceilDiv(qint64 value, qint64 divisor)
{
    return int((value + divisor - 1) / divisor);
}

/** Memory of a picture once it is 32-bit pixels, as every picture becomes on its way to the bitmap. */
qint64 bytes(QSize size)
{
    return qint64(size.width()) * size.height() * 4;
}

/** A rectangle of the upright picture in the picture as stored, which Qt mirrors, then turns clockwise. */
QRect storedRect(const QRect& upright, QSize stored, QImageIOHandler::Transformations turn)
{
    const bool mirror = turn.testFlag(QImageIOHandler::TransformationMirror);
    const bool flip = turn.testFlag(QImageIOHandler::TransformationFlip);
    const double sx = mirror ? -1 : 1;
    const double sy = flip ? -1 : 1;
    const double tx = mirror ? stored.width() : 0;
    const double ty = flip ? stored.height() : 0;
    const QTransform shown = turn.testFlag(QImageIOHandler::TransformationRotate90)
                                 ? QTransform(0, sx, -sy, 0, stored.height() - ty, tx)
                                 : QTransform(sx, 0, 0, sy, tx, ty);
    return shown.inverted().mapRect(QRectF(upright)).toRect();
}

QString readError(const QImageReader& reader)
{
    if (reader.error() == QImageReader::UnsupportedFormatError)
        return QStringLiteral("it is not a picture of a kind the installed readers take");
    return reader.errorString();
}

/**
 * A reader over `device`, which reads `file`, opened only when `path` is a regular file. Given a name, Qt
 * picks the reader by its suffix first, and a .dib file (a BMP) finds none: the format is decided by the
 * content.
 */
bool openReader(FileSystem& files, const QString& path, QFile& file, DeadlineDevice& device,
                QImageReader& reader, QString* reason)
{
    if (const Result<> opened = files.openRegular(path, file); !opened) {
        if (reason)
            *reason = opened.reason();
        return false;
    }
    if (!device.open(QIODevice::ReadOnly))
        return false;
    reader.setDevice(&device);
    PictureFormats::decideByContent(reader);
    reader.setAutoTransform(true);
    return true;
}

/**
 * The size to ask a JPEG decoder for so that its DCT scaling (by M/8) gives exactly that size and nothing
 * is resampled twice; `target` itself when no such size exists.
 */
QSize jpegDecodeSize(QSize stored, QSize target)
{
    const int numerator = jpegScaleNumerator(stored, target);
    const QSize decoded(ceilDiv(qint64(stored.width()) * numerator, 8),
                        ceilDiv(qint64(stored.height()) * numerator, 8));
    return jpegScaleNumerator(stored, decoded) == numerator ? decoded : target;
}

/**
 * The size a picture shrunk to `target` is decoded at: reduced when it is at least twice as large both
 * ways or too large to decode whole, else its own size.
 */
QSize decodeSize(QSize stored, QSize target, bool jpeg)
{
    const bool muchLarger = stored.width() >= 2 * target.width() && stored.height() >= 2 * target.height();
    if (!muchLarger && bytes(stored) <= DecodeBudget::Bytes)
        return stored;
    return jpeg ? jpegDecodeSize(stored, target) : target;
}

QImage failed(QString* reason, const QString& why)
{
    if (reason != nullptr)
        *reason = why;
    return {};
}

} // namespace

bool PictureLoader::shrinkInto(FileSystem& files, const QString& path, QImage& canvas, const QRect& target,
                               const AreaScaler::RowDone& rowDone, const DecodeDeadline& deadline)
{
    QFile file;
    DeadlineDevice device(file, deadline);
    QImageReader reader;
    if (target.isEmpty() || !openReader(files, path, file, device, reader, nullptr) ||
        reader.format() != "jpeg" || reader.transformation() != QImageIOHandler::TransformationNone)
        return false;
    const QSize decoded = decodeSize(reader.size(), target.size(), true);
    if (!decoded.isValid() || decoded.width() < target.width() || decoded.height() < target.height())
        return false;
    AreaScaler scaler(decoded, canvas, target, rowDone);
    // The reader has read the header only; the strips start again from the file's first byte.
    return device.seek(0) &&
           JpegStrips::decode(device, jpegScaleNumerator(reader.size(), decoded), decoded, scaler, deadline);
}

QSize PictureLoader::uprightSize(FileSystem& files, const QString& path)
{
    QFile file;
    const DecodeDeadline deadline;
    DeadlineDevice device(file, deadline);
    QImageReader reader;
    if (!openReader(files, path, file, device, reader, nullptr))
        return {};
    const QSize stored = reader.size();
    return reader.transformation().testFlag(QImageIOHandler::TransformationRotate90) ? stored.transposed()
                                                                                     : stored;
}

QImage PictureLoader::load(FileSystem& files, const QString& path, const PictureView& view, QString* reason,
                           const DecodeDeadline& deadline)
{
    // Qt's decoders refuse an image larger than this before they take its memory; it also guards
    // pictures whose size cannot be known before decoding. The limit is Qt's only, so setting it here
    // keeps it whoever loads.
    QImageReader::setAllocationLimit(DecodeBudget::MiB);
    if (deadline.expired())
        return failed(reason, deadline.reason());
    QFile file;
    DeadlineDevice device(file, deadline);
    QImageReader reader;
    if (!openReader(files, path, file, device, reader, reason))
        return {};
    // Qt's JPEG reader takes the coefficients of every scan before its first row, as much memory and
    // time as the file asks, out of reach of the deadline once the bytes are in: its header and scans
    // are looked at here first. A file libjpeg finds damaged goes on to Qt, which decides what it shows.
    bool tooLargeJpeg = false;
    if (reader.format() == "jpeg") {
        JpegDecompressor jpeg(device, deadline);
        if (!(jpeg.readHeader() && jpeg.countScans())) {
            tooLargeJpeg = jpeg.stop() == JpegDecompressor::Stop::TooLarge;
            if (jpeg.stop() != JpegDecompressor::Stop::Damaged && !tooLargeJpeg)
                return failed(reason, jpeg.reason());
        }
        if (!device.seek(0))
            return failed(reason, device.errorString());
    }
    const QSize stored = reader.size();
    QSize decoded = stored;

    if (stored.isValid()) {
        // The decoder works on the picture as stored, before it is turned upright.
        const QImageIOHandler::Transformations turn = reader.transformation();
        const bool turned = turn.testFlag(QImageIOHandler::TransformationRotate90);
        const QSize upright = turned ? stored.transposed() : stored;
        if (!view.scaledTo.isEmpty() && reader.supportsOption(QImageIOHandler::ScaledSize)) {
            const QSize target = turned ? view.scaledTo.transposed() : view.scaledTo;
            decoded = decodeSize(stored, target, reader.format() == "jpeg");
            if (decoded != stored)
                reader.setScaledSize(decoded);
        } else if (!view.clipTo.isEmpty() &&
                   !QRect(QPoint(0, 0), view.clipTo).contains(QRect(QPoint(0, 0), upright))) {
            const QSize part = upright.boundedTo(view.clipTo);
            const QPoint corner = view.fromCentre ? QPoint((upright.width() - part.width()) / 2,
                                                           (upright.height() - part.height()) / 2)
                                                  : QPoint(0, 0);
            const QRect clip = storedRect(QRect(corner, part), stored, turn);
            reader.setClipRect(clip);
            // Where the reader cannot decode a part, Qt decodes the whole picture and cuts it.
            if (reader.supportsOption(QImageIOHandler::ClipRect))
                decoded = clip.size();
        }
        if (tooLargeJpeg || bytes(decoded) > DecodeBudget::Bytes)
            return failed(reason, DecodeBudget::tooLarge(upright));
    }

    QImage image;
    const bool read = reader.read(&image);
    // Past the deadline a reader may still give what it had, as if the file ended there.
    if (deadline.expired())
        return failed(reason, deadline.reason());
    if (!read)
        return failed(reason, readError(reader));
    return image;
}
