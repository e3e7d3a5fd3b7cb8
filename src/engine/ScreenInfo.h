// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <cmath>

/** The screen the wallpaper is made for. */
struct ScreenGeometry
{
    /** Size in logical (device-independent) pixels. */
    QSize logicalSize;
    /** Device pixels per logical pixel: 1 on ordinary screens, 2 on a doubled HiDPI desktop. */
    double devicePixelRatio = 1.0;
    /** Logical dots per inch: 96 unless the desktop sets another font resolution. */
    double logicalDpi = 96.0;
    /**
     * The part no panel covers (the work area), in logical pixels from the screen's own top-left
     * corner; an empty rectangle when the desktop reports none, which means the whole screen.
     */
    QRect available;

    /** The screen in device pixels, the size the wallpaper bitmap must have. */
    QSize deviceSize() const
    {
        return QSize(qRound(logicalSize.width() * devicePixelRatio),
                     qRound(logicalSize.height() * devicePixelRatio));
    }

    /** The work area in device pixels, within the screen; the whole screen when none is known. */
    QRect deviceAvailable() const
    {
        const QRect screen(QPoint(0, 0), deviceSize());
        if (available.isEmpty())
            return screen;
        // Edges are rounded rather than the size, so a panel's edge lands where the screen shows it.
        const auto device = [this](int logical) {
            return int(std::lround(logical * devicePixelRatio));
        };
        const QRect area(QPoint(device(available.left()), device(available.top())),
                         QPoint(device(available.left() + available.width()) - 1,
                                device(available.top() + available.height()) - 1));
        return area.intersected(screen).isEmpty() ? screen : area.intersected(screen);
    }

    bool operator==(const ScreenGeometry&) const = default;
};

/** One monitor of the desktop, known by its output name. */
struct MonitorGeometry
{
    /** The output's name ("HDMI-1", "DUMMY0"), which stays when the monitor is plugged in again. */
    QString name;
    /** Where it lies on the desktop, in device pixels from the desktop's top-left corner. */
    QRect place;
    /** Its own size, scale and work area, which the picture made for it follows. */
    ScreenGeometry screen;

    bool operator==(const MonitorGeometry&) const = default;
};

/** Where the engine learns the screens' sizes and resolutions. */
class ScreenInfo
{
public:
    virtual ~ScreenInfo() = default;
    /** The primary screen as it is now. */
    virtual ScreenGeometry primary() const = 0;
    /** Every monitor as it is now, the primary first; the primary alone where no others are known. */
    virtual QList<MonitorGeometry> monitors() const
    {
        const ScreenGeometry screen = primary();
        return {{QString(), QRect(QPoint(0, 0), screen.deviceSize()), screen}};
    }
};
