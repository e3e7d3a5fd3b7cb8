// SPDX-License-Identifier: GPL-3.0-or-later
#include "ContrastRatio.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

/** Each 8-bit sRGB level as linear light. */
const std::array<double, 256>& linearLevels()
{
    static const std::array<double, 256> levels = [] {
        std::array<double, 256> table{};
        for (int i = 0; i < 256; ++i) {
            const double c = i / 255.0;
            table[std::size_t(i)] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        }
        return table;
    }();
    return levels;
}

} // namespace

double ContrastRatio::luminance(QRgb colour)
{
    const auto& linear = linearLevels();
    return 0.2126 * linear[std::size_t(qRed(colour))] + 0.7152 * linear[std::size_t(qGreen(colour))] +
           0.0722 * linear[std::size_t(qBlue(colour))];
}

double ContrastRatio::between(double luminanceA, double luminanceB)
{
    return (std::max(luminanceA, luminanceB) + 0.05) / (std::min(luminanceA, luminanceB) + 0.05);
}

QColor ContrastRatio::contrasting(double luminance)
{
    return between(luminance, 0.0) >= between(luminance, 1.0) ? QColor(Qt::black) : QColor(Qt::white);
}
