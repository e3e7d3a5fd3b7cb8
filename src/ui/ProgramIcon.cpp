// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramIcon.h"

QIcon ProgramIcon::icon()
{
    loadResources();
    QIcon icon;
    // Named without a suffix: Qt then knows the PNGs by their content with its own reader, where a
    // ".png" would have it load every image plugin first, which the start to the tray would wait on.
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/tessaly-%1").arg(size), QSize(size, size));
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
