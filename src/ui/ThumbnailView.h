// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ThumbnailGeometry.h"

#include <QFrame>
#include <QImage>

/**
 * The thumbnail box: draws a picture at its placement in the largest area of the box's proportions
 * (3375 x 1815 twips) that the widget holds, so that a resized window never distorts the picture.
 */
class ThumbnailView : public QFrame
{
    Q_OBJECT

public:
    explicit ThumbnailView(QWidget* parent = nullptr);
    /** A null picture leaves the box blank. */
    void setPicture(const QImage& picture, const ThumbnailPlacement& placement);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
    ThumbnailPlacement m_placement;
};
