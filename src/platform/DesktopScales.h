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
 * Each monitor's place in device pixels and its scale where Qt cannot tell them: on GNOME, Xwayland gives
 * every screen ratio 1 (or the settings daemon's one ratio for all of them) even where the shell draws each
 * at its own scale, and Qt's Wayland plugin takes mutter's device pixels for logical ones and doubles them at
 * scale 2. One source file per system.
 */
class DesktopScales
{
public:
    /** The monitors the desktop reports now; none where it reports none or Qt's view is exact. */
    static QList<MonitorScale> read();
    /** Calls the receiver's slot when the desktop changes its monitors, scales included. */
    static void watch(QObject* receiver, const char* slot);
};
