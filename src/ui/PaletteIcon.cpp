// SPDX-License-Identifier: GPL-3.0-or-later
#include "PaletteIcon.h"

#include "ProgramIcon.h"

#include <QImageReader>
#include <QPalette>
#include <QPixmap>

namespace {

QImage readPng(const QString& path)
{
    // Read as PNG outright: asking every image plugin whether it reads the file would load them all.
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

} // namespace

QIcon PaletteIcon::picture(const QString& name, const QPalette& palette)
{
    ProgramIcon::loadResources();
    QIcon icon;
    for (const int scale : {1, 2}) {
        const QString suffix = scale == 1 ? QString() : QStringLiteral("@2x");
        QPixmap pixmap = QPixmap::fromImage(
            forPalette(readPng(QStringLiteral(":/icons/%1%2.png").arg(name, suffix)), palette));
        pixmap.setDevicePixelRatio(scale);
        icon.addPixmap(pixmap);
    }
    return icon;
}

QImage PaletteIcon::forPalette(const QImage& picture, const QPalette& palette)
{
    if (palette.color(QPalette::Window).lightness() >= 128)
        return picture;
    QImage turned = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < turned.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(turned.scanLine(y));
        for (int x = 0; x < turned.width(); ++x) {
            const QColor colour = QColor::fromRgba(line[x]).toHsl();
            line[x] = QColor::fromHsl(colour.hslHue(), colour.hslSaturation(), 255 - colour.lightness(),
                                      colour.alpha())
                          .rgba();
        }
    }
    return turned;
}
