// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QRect>

/**
 * Each monitor's work area, for systems where Qt gives one only for a single screen (X11 uses
 * _NET_WORKAREA with one screen alone). One source file per system.
 */
class WorkAreas
{
public:
    /**
     * For each monitor (its place on the desktop, in the X server's pixels) the part no panel covers,
     * in the same coordinates; an empty rectangle where the desktop tells nothing.
     */
    static QList<QRect> of(const QList<QRect>& monitors);
};
