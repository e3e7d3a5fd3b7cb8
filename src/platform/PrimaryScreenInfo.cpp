// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrimaryScreenInfo.h"

#include "DesktopScales.h"
#include "WorkAreas.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace {

/**
 * Where a screen's top-left corner lies in device pixels. Qt's own scaling (Windows, X11) keeps each
 * screen's corner where the window system puts it and divides only the size, so a monitor left of or above
 * the primary keeps the negative corner Windows gives it, and the desktop's bounding box is Windows'
 * virtual screen. Only on Wayland does Qt count the corner in the compositor's logical pixels too: there
 * it is scaled by `waylandRatio`.
 */
QPoint deviceCorner(const QScreen& screen, qreal waylandRatio)
{
    const QPoint corner = screen.geometry().topLeft();
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return corner;
    return (QPointF(corner) * waylandRatio).toPoint();
}

/** The rectangle with each edge times `factor`, rounded, so that neighbouring areas keep sharing an edge. */
QRect scaledEdges(const QRect& rect, double factor)
{
    const auto scaled = [factor](int pixels) {
        return int(std::lround(pixels * factor));
    };
    return QRect(QPoint(scaled(rect.left()), scaled(rect.top())),
                 QPoint(scaled(rect.left() + rect.width()) - 1, scaled(rect.top() + rect.height()) - 1));
}

} // namespace

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
    const MonitorGeometry alone{
        screen->name(), QRect(deviceCorner(*screen, screen->devicePixelRatio()), geometry.deviceSize()),
        geometry};
    return withDesktopScale(alone, screen->geometry(), DesktopScales::read()).screen;
}

QList<MonitorGeometry> PrimaryScreenInfo::monitors() const
{
    const QScreen* first = QGuiApplication::primaryScreen();
    // The monitors of the primary's desktop only: a second X screen is a desktop of its own, with its own
    // root window, and lies at 0,0 too.
    QList<QScreen*> screens = first != nullptr ? first->virtualSiblings() : QList<QScreen*>();
    if (screens.size() < 2)
        return ScreenInfo::monitors();
    // The primary first, the others by output name, so that a monitor plugged in again keeps its place.
    std::sort(screens.begin(), screens.end(), [first](const QScreen* a, const QScreen* b) {
        return (a == first) != (b == first) ? a == first : a->name() < b->name();
    });
    // On Wayland Qt gives each screen's corner in logical pixels. Where the ratios differ (sway, one output
    // at 2 left of one at 1), a corner times the screen's own ratio lands inside the neighbour's pixels;
    // times the largest ratio, no two monitors overlap, and with one ratio for all it is the exact layout.
    qreal largestRatio = 1.0;
    for (const QScreen* screen : std::as_const(screens))
        largestRatio = std::max(largestRatio, screen->devicePixelRatio());
    QList<MonitorGeometry> monitors;
    QList<QRect> places;
    QList<QRect> devicePlaces;
    for (const QScreen* screen : std::as_const(screens)) {
        MonitorGeometry monitor;
        monitor.name = screen->name();
        monitor.screen.logicalSize = screen->size();
        monitor.screen.devicePixelRatio = screen->devicePixelRatio();
        monitor.screen.logicalDpi = screen->logicalDotsPerInch();
        monitor.place = QRect(deviceCorner(*screen, largestRatio), monitor.screen.deviceSize());
        places.append(screen->geometry());
        devicePlaces.append(monitor.place);
        monitors.append(monitor);
    }
    // The X server counts work areas in its own pixels, which Qt's own ratio divides.
    const QList<QRect> areas = WorkAreas::of(devicePlaces);
    for (qsizetype i = 0; i < monitors.size(); ++i) {
        ScreenGeometry& screen = monitors[i].screen;
        screen.available = areas.value(i).isEmpty()
                               ? screens.at(i)->availableGeometry().translated(-places.at(i).topLeft())
                               : scaledEdges(areas.at(i).translated(-devicePlaces.at(i).topLeft()),
                                             1.0 / screen.devicePixelRatio);
    }
    const QList<MonitorScale> scales = DesktopScales::read();
    for (qsizetype i = 0; i < monitors.size(); ++i)
        monitors[i] = withDesktopScale(monitors.at(i), places.at(i), scales);
    return monitors;
}

MonitorGeometry PrimaryScreenInfo::withDesktopScale(MonitorGeometry monitor, const QRect& seen,
                                                    const QList<MonitorScale>& scales)
{
    // Qt keeps a screen's corner in the window system's pixels, which in mutter's layout are device pixels;
    // its size it counts in a unit of its own: halved on Xwayland where the settings daemon gives Qt ratio 2,
    // or device pixels called logical ones by Qt's Wayland plugin, which doubles them again at scale 2.
    for (const MonitorScale& desktop : scales) {
        if (desktop.place.topLeft() != seen.topLeft() || seen.isEmpty() || desktop.scale <= 0)
            continue;
        const double unit = double(desktop.place.width()) / seen.width();
        if (std::abs(seen.height() * unit - desktop.place.height()) > unit)
            continue; // another monitor that starts at the same corner
        ScreenGeometry& screen = monitor.screen;
        const QRect area = screen.available;
        screen.devicePixelRatio = desktop.scale;
        screen.logicalSize = QSize(qRound(desktop.place.width() / desktop.scale),
                                   qRound(desktop.place.height() / desktop.scale));
        if (screen.deviceSize() != desktop.place.size()) {
            // A scale that does not divide the monitor (3 on 2560x1440): counted in device pixels, at the
            // font resolution of that scale, so that the bitmap fits exactly and the caption keeps its size.
            screen.logicalDpi *= desktop.scale;
            screen.devicePixelRatio = 1.0;
            screen.logicalSize = desktop.place.size();
        }
        if (!area.isEmpty())
            screen.available = scaledEdges(area, unit / screen.devicePixelRatio);
        monitor.place = desktop.place;
        return monitor;
    }
    return monitor;
}
