// SPDX-License-Identifier: GPL-3.0-or-later
#include "ThumbnailView.h"

#include <QPainter>

namespace {

/** The thumbnail's box, in pixels: 3375 x 1815 twips at 96 dots per inch. */
constexpr QSize kBox(225, 121);

} // namespace

ThumbnailView::ThumbnailView(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void ThumbnailView::setPicture(const QImage& picture, const ThumbnailPlacement& placement)
{
    m_picture = picture;
    m_placement = placement;
    update();
}

QSize ThumbnailView::sizeHint() const
{
    return kBox + QSize(2 * frameWidth(), 2 * frameWidth());
}

QSize ThumbnailView::minimumSizeHint() const
{
    return kBox / 4 + QSize(2 * frameWidth(), 2 * frameWidth());
}

void ThumbnailView::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (m_picture.isNull())
        return;
    QSizeF fitted = QSizeF(kBox);
    fitted.scale(contentsRect().size(), Qt::KeepAspectRatio);
    QRectF box(QPointF(), fitted);
    box.moveCenter(QRectF(contentsRect()).center());
    const double sx = box.width() / ThumbnailGeometry::BoxWidth;
    const double sy = box.height() / ThumbnailGeometry::BoxHeight;
    const QRectF target(box.left() + m_placement.x * sx, box.top() + m_placement.y * sy,
                        m_placement.width * sx, m_placement.height * sy);
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_picture);
}
