// SPDX-License-Identifier: GPL-3.0-or-later
#include "TwipsLayout.h"

#include <QFontMetricsF>
#include <QWidget>
#include <algorithm>

double TwipsLayout::pixelsPerTwip(const QFont& font)
{
    // The positions were made for a font 13 pixels high with characters about 5.5 wide.
    const QFontMetricsF metrics(font);
    const double grow = std::max({1.0, metrics.height() / 13.0, metrics.averageCharWidth() / 5.5});
    return grow / 15.0;
}

QRect TwipsLayout::toPixels(const QRect& twips, double pixelsPerTwip)
{
    return QRect(qRound(twips.x() * pixelsPerTwip), qRound(twips.y() * pixelsPerTwip),
                 qRound(twips.width() * pixelsPerTwip), qRound(twips.height() * pixelsPerTwip));
}

bool TwipsLayout::place(QWidget* parent, const char* name, const QRect& twips, double pixelsPerTwip)
{
    auto* widget = parent->findChild<QWidget*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
    if (!widget)
        return false;
    widget->setGeometry(toPixels(twips, pixelsPerTwip));
    return true;
}
