// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramIcon.h"

#include <QImageReader>
#include <QPainter>
#include <QPixmap>

QIcon ProgramIcon::icon(int largest)
{
    loadResources();
    QIcon icon;
    // Read as PNGs outright: a QIcon given the files asks every image plugin whether it reads them,
    // loading them all, which the start would wait on and the idle program would hold.
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        if (size > largest)
            break;
        QImageReader reader(QStringLiteral(":/icons/tessaly-%1.png").arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

QIcon ProgramIcon::pausedIcon(int largest)
{
    const QIcon plain = icon(largest);
    QIcon paused;
    for (const QSize& size : plain.availableSizes()) {
        QPixmap pixmap = plain.pixmap(size);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        // Two white bars on a dark disc, readable on a light panel and on a dark one.
        const QRectF disc(size.width() * 0.45, size.height() * 0.45, size.width() * 0.55,
                          size.height() * 0.55);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(32, 32, 32, 230));
        painter.drawEllipse(disc);
        const qreal barWidth = disc.width() * 0.16, barHeight = disc.height() * 0.5;
        const qreal top = disc.center().y() - barHeight / 2;
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(disc.center().x() - barWidth * 1.5, top, barWidth, barHeight));
        painter.drawRect(QRectF(disc.center().x() + barWidth * 0.5, top, barWidth, barHeight));
        painter.end();
        paused.addPixmap(pixmap);
    }
    return paused;
}

void ProgramIcon::loadResources()
{
    // The pictures live in a static library, whose resource initialiser the linker may drop.
    static const bool loaded = [] {
        Q_INIT_RESOURCE(uiicons);
        return true;
    }();
    Q_UNUSED(loaded);
}
