// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureFormats.h"

#include <QImageReader>

QStringList PictureFormats::patterns()
{
    // The suffixes the program was described with stay, whichever readers are installed.
    QStringList result = QStringLiteral("*.bmp;*.dib;*.gif;*.jif;*.jpeg;*.jpg").split(QLatin1Char(';'));
    const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    for (const QByteArray& format : formats)
        result.append(QStringLiteral("*.") + QString::fromLatin1(format).toLower());
    result.sort();
    result.removeDuplicates();
    return result;
}
