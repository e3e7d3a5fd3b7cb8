// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrimaryScreenInfo.h"

#include "WorkAreas.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

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

QList<MonitorGeometry> PrimaryScreenInfo::monitors() const
{
    QList<QScreen*> screens = QGuiApplication::screens();
    const QScreen* first = QGuiApplication::primaryScreen();
    if (screens.size() < 2 || first == nullptr)
        return ScreenInfo::monitors();
    // The primary first, the others by output name, so that a monitor plugged in again keeps its place.
    std::sort(screens.begin(), screens.end(), [first](const QScreen* a, const QScreen* b) {
        return (a == first) != (b == first) ? a == first : a->name() < b->name();
    });
    QList<MonitorGeometry> monitors;
    QList<QRect> places;
    for (const QScreen* screen : std::as_const(screens)) {
        MonitorGeometry monitor;
        monitor.name = screen->name();
        monitor.screen.logicalSize = screen->size();
        monitor.screen.devicePixelRatio = screen->devicePixelRatio();
        monitor.screen.logicalDpi = screen->logicalDotsPerInch();
        const QRect logical = screen->geometry();
        // Qt gives each screen's corner in its own logical pixels: the device corner is that times its ratio.
        const QPointF corner = QPointF(logical.topLeft()) * monitor.screen.devicePixelRatio;
        monitor.place = QRect(corner.toPoint(), monitor.screen.deviceSize());
        places.append(logical);
        monitors.append(monitor);
    }
    const QList<QRect> areas = WorkAreas::of(places);
    for (qsizetype i = 0; i < monitors.size(); ++i) {
        const QRect area = areas.value(i).isEmpty() ? screens.at(i)->availableGeometry() : areas.at(i);
        monitors[i].screen.available = area.translated(-places.at(i).topLeft());
    }
    return monitors;
}
