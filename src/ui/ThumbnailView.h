// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ThumbnailGeometry.h"

#include <QFrame>
#include <QImage>

/** The thumbnail box: draws a picture at its placement, the box standing for 3375 x 1815 twips. */
class ThumbnailView : public QFrame
{
    Q_OBJECT

public:
    explicit ThumbnailView(QWidget* parent = nullptr);
    /** A null picture leaves the box blank. */
    void setPicture(const QImage& picture, const ThumbnailPlacement& placement);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
    ThumbnailPlacement m_placement;
};
