// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>

/** The program's icon and the other pictures compiled into the user interface. */
class ProgramIcon
{
public:
    /** The icon of the windows and the about box, in every size drawn. */
    static QIcon icon();
    /** The sizes of it a tray draws, up to 64 pixels: decoding the large ones would slow the start. */
    static QIcon trayIcon();
    /** Makes the compiled-in pictures (":/icons/…") available; safe to call more than once. */
    static void loadResources();
};
