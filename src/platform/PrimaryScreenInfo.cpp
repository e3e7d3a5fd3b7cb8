// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrimaryScreenInfo.h"

#include <QGuiApplication>
#include <QScreen>

ScreenGeometry PrimaryScreenInfo::primary() const
{
    ScreenGeometry geometry;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        // No screen yet (a monitor unplugged at the wrong moment): a common size keeps the change going.
        geometry.logicalSize = QSize(1920, 1080);
        return geometry;
    }
    geometry.logicalSize = screen->size();
    geometry.devicePixelRatio = screen->devicePixelRatio();
    geometry.logicalDpi = screen->logicalDotsPerInch();
    // Qt gives the work area in desktop coordinates; a screen right of or below another starts far from 0,0.
    geometry.available = screen->availableGeometry().translated(-screen->geometry().topLeft());
    return geometry;
}
