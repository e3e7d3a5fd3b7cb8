// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureFit.h"

#include <cmath>

namespace {

/** `length` × `numerator` / `denominator`, rounded, in 64 bits so that large pictures do not overflow. */
int scaled(int length, int numerator, int denominator)
{
    return int(std::llround(double(qint64(length) * numerator) / double(denominator)));
}

/** Whether the picture is wider, for its height, than the area: cross products, no rounding. */
bool widerThan(QSize picture, QSize area)
{
    return qint64(picture.width()) * area.height() >= qint64(area.width()) * picture.height();
}

} // namespace

QRect PictureFit::fitted(QSize picture, const QRect& area)
{
    if (picture.isEmpty() || area.isEmpty())
        return {};
    QSize size = widerThan(picture, area.size())
                     ? QSize(area.width(), scaled(picture.height(), area.width(), picture.width()))
                     : QSize(scaled(picture.width(), area.height(), picture.height()), area.height());
    // A sliver of a picture still shows as one row or column.
    size = size.expandedTo(QSize(1, 1));
    return QRect(area.topLeft() +
                     QPoint((area.width() - size.width()) / 2, (area.height() - size.height()) / 2),
                 size);
}

QRect PictureFit::covering(QSize picture, QSize area)
{
    if (picture.isEmpty() || area.isEmpty())
        return {};
    QSize part = widerThan(picture, area)
                     ? QSize(scaled(picture.height(), area.width(), area.height()), picture.height())
                     : QSize(picture.width(), scaled(picture.width(), area.height(), area.width()));
    part = part.expandedTo(QSize(1, 1)).boundedTo(picture);
    return QRect(QPoint((picture.width() - part.width()) / 2, (picture.height() - part.height()) / 2), part);
}

QSize PictureFit::coveringSize(QSize picture, QSize area)
{
    if (picture.isEmpty() || area.isEmpty())
        return {};
    return widerThan(picture, area)
               ? QSize(scaled(picture.width(), area.height(), picture.height()), area.height())
               : QSize(area.width(), scaled(picture.height(), area.width(), picture.width()));
}
