// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>

/** The program's icon and the other pictures compiled into the user interface. */
class ProgramIcon
{
public:
    /**
     * The icon of the windows and the about box in the sizes drawn up to `largest` pixels; a tray draws
     * up to 64, and decoding the large ones would slow the start.
     */
    static QIcon icon(int largest = 256);
    /** The icon with a pause sign over its lower right quarter: no change comes by itself. */
    static QIcon pausedIcon(int largest = 64);
    /** Makes the compiled-in pictures (":/icons/…") available; safe to call more than once. */
    static void loadResources();
};
