// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>

/** The part of a picture that will be seen, so that no more of it is decoded than that. */
struct PictureView
{
    /** The whole picture is shrunk to this size before it is shown; empty when it keeps its own size. */
    QSize scaledTo;
    /** At most this much of the picture, at its own size, can be seen; empty for all of it. */
    QSize clipTo;
    /** The part seen is the middle of the picture; otherwise it is the top-left corner. */
    bool fromCentre = false;
};
