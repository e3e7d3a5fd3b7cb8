// SPDX-License-Identifier: GPL-3.0-or-later
#include "ThumbnailGeometry.h"

#include <cmath>
#include <cstdint>

namespace {

/** Half to even under the default rounding mode, then into the 16-bit range the offsets are kept in. */
int toInt16(double value)
{
    const double rounded = std::nearbyint(value);
    if (!(rounded >= INT16_MIN))
        return INT16_MIN;
    if (rounded > INT16_MAX)
        return INT16_MAX;
    return static_cast<int>(rounded);
}

} // namespace

ThumbnailPlacement ThumbnailGeometry::fit(float width, float height)
{
    double w = width;
    double h = height;
    // A size that is not a finite positive number would never get below the box.
    if (!std::isfinite(w) || !std::isfinite(h) || w < 0 || h < 0)
        return {};
    while (!(w < BoxWidth && h < BoxHeight)) {
        w *= ShrinkStep;
        h *= ShrinkStep;
    }
    return {toInt16((BoxWidth - w) / 2), toInt16((BoxHeight - h) / 2), w, h};
}
