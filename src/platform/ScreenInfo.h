// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>

/** The screen the wallpaper is made for. */
struct ScreenGeometry
{
    /** Size in logical (device-independent) pixels. */
    QSize logicalSize;
    /** Device pixels per logical pixel: 1 on ordinary screens, 2 on a doubled HiDPI desktop. */
    double devicePixelRatio = 1.0;
    /** Logical dots per inch: 96 unless the desktop sets another font resolution. */
    double logicalDpi = 96.0;

    /** The screen in device pixels, the size the wallpaper bitmap must have. */
    QSize deviceSize() const
    {
        return QSize(qRound(logicalSize.width() * devicePixelRatio),
                     qRound(logicalSize.height() * devicePixelRatio));
    }
};

/** Where the engine learns the screen's size and resolution. */
class ScreenInfo
{
public:
    virtual ~ScreenInfo() = default;
    /** The primary screen as it is now. */
    virtual ScreenGeometry primary() const = 0;
};
