// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramIcon.h"

#include <QImageReader>
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

void ProgramIcon::loadResources()
{
    // The pictures live in a static library, whose resource initialiser the linker may drop.
    static const bool loaded = [] {
        Q_INIT_RESOURCE(uiicons);
        return true;
    }();
    Q_UNUSED(loaded);
}
