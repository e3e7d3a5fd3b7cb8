// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>

class QFont;
class QWidget;

/** Places widgets by positions in twips, grown with the font so that no caption is cut off. */
class TwipsLayout
{
public:
    /** Pixels per twip for a window using `font`: 1/15 for an 8-point system font, more for larger ones. */
    static double pixelsPerTwip(const QFont& font);
    static QRect toPixels(const QRect& twips, double pixelsPerTwip);
    /** Sets the geometry of the direct child of `parent` named `name`; false when there is none. */
    static bool place(QWidget* parent, const char* name, const QRect& twips, double pixelsPerTwip);
};
