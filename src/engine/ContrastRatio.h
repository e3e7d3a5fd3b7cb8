// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>

/** Contrast between colours as WCAG 2 defines it: from 1:1 (the same) to 21:1 (black on white). */
class ContrastRatio
{
public:
    /** Readable text needs at least this against what is around it. */
    static constexpr double Readable = 4.5;

    /** WCAG relative luminance of an sRGB colour, 0 (black) to 1 (white). */
    static double luminance(QRgb colour);
    /** The ratio of two relative luminances, the lighter over the darker. */
    static double between(double luminanceA, double luminanceB);
    /** Black or white, whichever stands out more against a colour of this luminance. */
    static QColor contrasting(double luminance);
};
