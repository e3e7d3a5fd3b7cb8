// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureLoader.h"

#include "LargeImage.h"
#include "core/RegularFile.h"

#include <QFile>
#include <QImageReader>
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

QString readError(const QImageReader& reader)
{
    if (reader.error() == QImageReader::UnsupportedFormatError)
        return QStringLiteral("it is not a picture of a kind the installed readers take");
    return reader.errorString();
}

} // namespace

QSize PictureLoader::jpegDecodeSize(QSize stored, QSize target)
{
    const int numerator = jpegScaleNumerator(stored, target);
    const QSize decoded(ceilDiv(qint64(stored.width()) * numerator, 8),
                        ceilDiv(qint64(stored.height()) * numerator, 8));
    if (jpegScaleNumerator(stored, decoded) == numerator)
        return decoded;
    return target;
}

QImage PictureLoader::load(const QString& path, QSize shownAt, QString* reason)
{
    QFile file;
    if (!RegularFile::open(path, file, reason))
        return {};
    // Given a name, Qt picks the reader by its suffix first, and a .dib file (a BMP) finds none.
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    QSize size = reader.size();

    if (size.isValid() && !shownAt.isEmpty()) {
        // The decoder works on the picture as stored, before it is turned upright.
        const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
        const QSize target = turned ? shownAt.transposed() : shownAt;
        const bool muchLarger = size.width() >= 2 * target.width() && size.height() >= 2 * target.height();
        if (muchLarger && reader.supportsOption(QImageIOHandler::ScaledSize)) {
            size = reader.format() == "jpeg" ? jpegDecodeSize(size, target) : target;
            reader.setScaledSize(size);
        }
    }

    // Decoders write into an image of the right size and format when given one; a photo then lands
    // in huge-page memory instead of freshly faulted small pages.
    QImage image;
    const QImage::Format format = reader.imageFormat();
    const bool plainPixels = format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
                             format == QImage::Format_Grayscale8;
    if (size.isValid() && plainPixels)
        image = LargeImage::allocate(size, format);
    if (!reader.read(&image)) {
        if (reason)
            *reason = readError(reader);
        return {};
    }
    return image;
}
