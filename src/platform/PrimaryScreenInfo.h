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
     * The monitor counted at the desktop's scale for the monitor in the same place, where Qt saw ratio 1:
     * the same device pixels, its size and work area in logical pixels of that scale.
     */
    static MonitorGeometry withDesktopScale(MonitorGeometry monitor, const QList<MonitorScale>& scales);
};
