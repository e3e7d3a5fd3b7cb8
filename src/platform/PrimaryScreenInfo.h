// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScreenInfo.h"

/** The screens as QGuiApplication reports them, with each monitor's work area where Qt has none. */
class PrimaryScreenInfo final : public ScreenInfo
{
public:
    ScreenGeometry primary() const override;
    QList<MonitorGeometry> monitors() const override;
};
