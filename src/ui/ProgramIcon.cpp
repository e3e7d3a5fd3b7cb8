// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramIcon.h"

QIcon ProgramIcon::icon()
{
    loadResources();
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/tessaly-%1.png").arg(size), QSize(size, size));
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
