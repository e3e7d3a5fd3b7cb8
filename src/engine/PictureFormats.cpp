// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureFormats.h"

#include <QIODevice>
#include <QImageReader>

QStringList PictureFormats::patterns()
{
    // These suffixes are always offered, whichever readers are installed.
    QStringList result = QStringLiteral("*.bmp;*.dib;*.gif;*.jif;*.jpeg;*.jpg").split(QLatin1Char(';'));
    const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    for (const QByteArray& format : formats)
        result.append(QStringLiteral("*.") + QString::fromLatin1(format).toLower());
    result.sort();
    result.removeDuplicates();
    return result;
}

void PictureFormats::decideByContent(QImageReader& reader)
{
    static const struct
    {
        QByteArrayView magic;
        const char* format;
    } known[] = {{"\xff\xd8\xff", "jpeg"}, {"\x89PNG\r\n\x1a\n", "png"}, {"GIF8", "gif"}, {"BM", "bmp"}};
    const QByteArray head = reader.device()->peek(8);
    for (const auto& [magic, format] : known) {
        if (head.startsWith(magic)) {
            reader.setFormat(format);
            reader.setAutoDetectImageFormat(false);
            return;
        }
    }
    reader.setDecideFormatFromContent(true);
}
