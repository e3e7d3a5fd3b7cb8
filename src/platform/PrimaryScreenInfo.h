// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScreenInfo.h"

struct MonitorScale;

/**
 * The screens as QGuiApplication reports them, with each monitor's work area where Qt has none and its
 * scale where the desktop hides it from Qt.
 */
class PrimaryScreenInfo final : public ScreenInfo
{
public:
    ScreenGeometry primary() const override;
    QList<MonitorGeometry> monitors() const override;

    /**
     * The monitor as the desktop lays it out, for the Qt screen whose geometry is `seen`: the desktop's place
     * in device pixels and its scale, whatever ratio Qt gave, its size and work area in logical pixels of
     * that scale. Unchanged where the desktop reports no monitor at that corner.
     */
    static MonitorGeometry withDesktopScale(MonitorGeometry monitor, const QRect& seen,
                                            const QList<MonitorScale>& scales);
};
