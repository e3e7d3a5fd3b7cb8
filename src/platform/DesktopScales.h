// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QRect>

class QObject;

/** One monitor's scale as the desktop sets it, and where the monitor lies in the window system's pixels. */
struct MonitorScale
{
    QRect place;
    double scale = 1.0;
};

/**
 * Each monitor's scale where the window system hides it from Qt: GNOME runs X programs on Xwayland, which
 * gives every screen ratio 1 even where the shell draws at 2. One source file per system.
 */
class DesktopScales
{
public:
    /** The scales the desktop reports now; none where it reports none or Qt already knows them. */
    static QList<MonitorScale> read();
    /** Calls the receiver's slot when the desktop changes its monitors, scales included. */
    static void watch(QObject* receiver, const char* slot);
};
