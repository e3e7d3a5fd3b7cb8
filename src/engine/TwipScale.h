// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScreenInfo.h"

#include <cmath>

/**
 * Twips (1/1440 inch) against pixels. The caption's size and place are worked out in twips at the
 * screen's logical resolution (15 twips per logical pixel at 96 dpi) and drawn in device pixels, so a
 * caption keeps its physical size at every scale factor.
 */
class TwipScale
{
public:
    static constexpr double TwipsPerInch = 1440.0;

    explicit TwipScale(const ScreenGeometry& screen)
        : m_twipsPerPixel(TwipsPerInch / (screen.logicalDpi > 0 ? screen.logicalDpi : 96.0)),
          m_devicePixelRatio(screen.devicePixelRatio > 0 ? screen.devicePixelRatio : 1.0)
    {}

    /** Twips per logical pixel. */
    double twipsPerPixel() const { return m_twipsPerPixel; }
    double devicePixelRatio() const { return m_devicePixelRatio; }
    double fromPixels(double logicalPixels) const { return logicalPixels * m_twipsPerPixel; }
    double toPixels(double twips) const { return twips / m_twipsPerPixel; }
    double toDevicePixels(double twips) const { return toPixels(twips) * m_devicePixelRatio; }

    /** A length in whole device pixels. */
    int deviceLength(double twips) const { return int(std::lround(toDevicePixels(twips))); }

private:
    double m_twipsPerPixel;
    double m_devicePixelRatio;
};
