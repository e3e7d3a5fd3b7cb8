// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QSize>

/** Where a picture goes when it is scaled with its shape kept: whole inside an area, or covering it. */
class PictureFit
{
public:
    /** The whole picture as large as it fits in `area`, in the middle of it; what is left shows the surround.
     */
    static QRect fitted(QSize picture, const QRect& area);
    /** The middle part of the picture that has the shape of `area`, as large as the picture allows. */
    static QRect covering(QSize picture, QSize area);
    /** The size the whole picture is scaled to when its middle covers `area` exactly. */
    static QSize coveringSize(QSize picture, QSize area);
};
