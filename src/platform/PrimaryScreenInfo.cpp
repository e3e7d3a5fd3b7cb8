// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrimaryScreenInfo.h"

#include "DesktopScales.h"
#include "WorkAreas.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

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
    return withDesktopScale(alone, DesktopScales::read()).screen;
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
    for (const QScreen* screen : std::as_const(screens)) {
        MonitorGeometry monitor;
        monitor.name = screen->name();
        monitor.screen.logicalSize = screen->size();
        monitor.screen.devicePixelRatio = screen->devicePixelRatio();
        monitor.screen.logicalDpi = screen->logicalDotsPerInch();
        const QRect logical = screen->geometry();
        monitor.place = QRect(deviceCorner(*screen, largestRatio), monitor.screen.deviceSize());
        places.append(logical);
        monitors.append(monitor);
    }
    const QList<QRect> areas = WorkAreas::of(places);
    for (qsizetype i = 0; i < monitors.size(); ++i) {
        const QRect area = areas.value(i).isEmpty() ? screens.at(i)->availableGeometry() : areas.at(i);
        monitors[i].screen.available = area.translated(-places.at(i).topLeft());
    }
    const QList<MonitorScale> scales = DesktopScales::read();
    for (MonitorGeometry& monitor : monitors)
        monitor = withDesktopScale(monitor, scales);
    return monitors;
}

MonitorGeometry PrimaryScreenInfo::withDesktopScale(MonitorGeometry monitor,
                                                    const QList<MonitorScale>& scales)
{
    ScreenGeometry& screen = monitor.screen;
    // A ratio of Qt's own is the truth; ratio 1 may be Xwayland hiding the shell's scale.
    if (screen.devicePixelRatio != 1.0)
        return monitor;
    for (const MonitorScale& desktop : scales) {
        if (desktop.place != monitor.place || desktop.scale <= 1.0)
            continue;
        const auto logical = [&desktop](int device) {
            return qRound(device / desktop.scale);
        };
        ScreenGeometry scaled = screen;
        scaled.devicePixelRatio = desktop.scale;
        scaled.logicalSize = QSize(logical(monitor.place.width()), logical(monitor.place.height()));
        // The same device pixels, only counted in logical ones: a size that does not divide stays as Qt saw
        // it.
        if (scaled.deviceSize() != monitor.place.size())
            return monitor;
        const QRect area = screen.available;
        if (!area.isEmpty())
            scaled.available = QRect(
                QPoint(logical(area.left()), logical(area.top())),
                QPoint(logical(area.left() + area.width()) - 1, logical(area.top() + area.height()) - 1));
        screen = scaled;
        return monitor;
    }
    return monitor;
}
