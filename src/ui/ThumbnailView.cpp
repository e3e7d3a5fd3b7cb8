// SPDX-License-Identifier: GPL-3.0-or-later
#include "ThumbnailView.h"

#include <QPainter>

ThumbnailView::ThumbnailView(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void ThumbnailView::setPicture(const QImage& picture, const ThumbnailPlacement& placement)
{
    m_picture = picture;
    m_placement = placement;
    update();
}

void ThumbnailView::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (m_picture.isNull())
        return;
    const QRectF box = contentsRect();
    const double sx = box.width() / ThumbnailGeometry::BoxWidth;
    const double sy = box.height() / ThumbnailGeometry::BoxHeight;
    const QRectF target(box.left() + m_placement.x * sx, box.top() + m_placement.y * sy,
                        m_placement.width * sx, m_placement.height * sy);
    QPainter painter(this);
    painter.setClipRect(box);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_picture);
}
