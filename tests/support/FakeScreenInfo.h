// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScreenInfo.h"

/** A screen of any size and scale, 96 logical dots per inch unless told otherwise. */
class FakeScreenInfo final : public ScreenInfo
{
public:
    explicit FakeScreenInfo(QSize logicalSize = QSize(800, 600), double devicePixelRatio = 1.0,
                            double logicalDpi = 96.0)
    {
        geometry.logicalSize = logicalSize;
        geometry.devicePixelRatio = devicePixelRatio;
        geometry.logicalDpi = logicalDpi;
    }
    ScreenGeometry primary() const override { return geometry; }

    ScreenGeometry geometry;
};
