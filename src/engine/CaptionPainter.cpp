// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptionPainter.h"

#include "CaptionEffects.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace {

constexpr double InchesPerMetre = 1.0 / 0.0254;
/** The right-top caption keeps this from the edge; the centred ones sit half of it left of centre. */
constexpr double EdgeTwips = 100.0;

void setLogicalResolution(QImage& image, const TwipScale& scale)
{
    const int dotsPerMetre =
        int(std::lround(TwipScale::TwipsPerInch / scale.twipsPerPixel() * InchesPerMetre));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
}

/** The font's metrics at the screen's logical resolution, read from a stand-in device there. */
QFontMetricsF metricsAt(const QFont& font, const TwipScale& scale)
{
    QImage device(1, 1, QImage::Format_RGB32);
    setLogicalResolution(device, scale);
    return QFontMetricsF(font, &device);
}

/**
 * Top-left corner of the text, in twips, on a canvas of `canvas` twips for a caption of `text` twips.
 */
QPointF startPoint(CheckedSettings::CaptionPosition position, QSizeF canvas, QSizeF text)
{
    const double centred = (canvas.width() - (text.width() + EdgeTwips)) / 2;
    switch (position) {
    case CheckedSettings::CaptionPosition::TopCentre:
        return QPointF(centred, 0);
    case CheckedSettings::CaptionPosition::TopRight:
        return QPointF(canvas.width() - (text.width() + EdgeTwips), 0);
    case CheckedSettings::CaptionPosition::BottomCentre:
        break;
    }
    return QPointF(centred, canvas.height() - text.height());
}

} // namespace

CaptionPainter::CaptionPainter(CaptionFont font, TwipScale scale, QString caption)
    : m_font(std::move(font)), m_scale(scale), m_caption(std::move(caption)),
      m_metrics(metricsAt(m_font.font, m_scale)), m_advance(m_metrics.horizontalAdvance(m_caption)),
      // Blanks show nothing, however many: an ellipsis would be all that showed of them.
      m_widthNeeded(m_caption.trimmed().isEmpty() ? 0
                                                  : int(std::ceil((m_advance + m_scale.toPixels(EdgeTwips)) *
                                                                  m_scale.devicePixelRatio())))
{}

QSizeF CaptionPainter::measure(const QString& text) const
{
    // Only a caption cut short has letters of its own to measure.
    const double advance = text == m_caption ? m_advance : m_metrics.horizontalAdvance(text);
    return QSizeF(m_scale.fromPixels(advance), m_scale.fromPixels(m_metrics.height()));
}

double CaptionPainter::lineHeight() const
{
    return m_scale.fromPixels(m_metrics.height());
}

QPointF CaptionPainter::textCorner(const QRect& area, const QString& text,
                                   CheckedSettings::CaptionPosition position) const
{
    const double ratio = m_scale.devicePixelRatio();
    const QSizeF areaTwips(m_scale.fromPixels(area.width() / ratio),
                           m_scale.fromPixels(area.height() / ratio));
    const QPointF start = startPoint(position, areaTwips, measure(text));
    return QPointF(area.topLeft()) / ratio +
           QPointF(m_scale.toPixels(start.x()), m_scale.toPixels(start.y()));
}

QString CaptionPainter::fitted(const QRect& area) const
{
    // Measured as widthNeeded measures it: an area made that wide must not cut it short by a rounding.
    if (m_widthNeeded <= area.width())
        return m_caption;
    // Wider than the area leaves between its edges, the text would be cut at the picture's or the
    // screen's edge, and lose its start: it ends in "…" instead.
    const double room = area.width() / m_scale.devicePixelRatio() - m_scale.toPixels(EdgeTwips);
    return m_metrics.elidedText(m_caption, Qt::ElideRight, qMax(0.0, room));
}

QRect CaptionPainter::band(QSize canvas, const QRect& area, CheckedSettings::CaptionPosition position) const
{
    return m_caption.isEmpty() ? QRect() : bandAt(canvas, textCorner(area, fitted(area), position));
}

QRect CaptionPainter::bandAt(QSize canvas, QPointF corner) const
{
    const double ratio = m_scale.devicePixelRatio();
    const double line = m_metrics.height() * ratio;
    const double top = corner.y() * ratio;
    const int first = int(std::floor(top - line));
    const int last = int(std::ceil(top + 2 * line));
    return QRect(0, first, canvas.width(), last - first + 1).intersected(QRect(QPoint(0, 0), canvas));
}

void CaptionPainter::paint(QImage& canvas, const QRect& area, CheckedSettings::CaptionPosition position,
                           const CaptionStyle& style) const
{
    if (m_caption.isEmpty())
        return;
    const QString text = fitted(area);
    const QPointF corner = textCorner(area, text, position);
    // The canvas takes the screen's logical resolution for the font: N points come out the same physical
    // size at every scale factor.
    setLogicalResolution(canvas, m_scale);
    const QRect band = bandAt(canvas.size(), corner);
    // A caption of blanks shows nothing, and gets no effect to show in its place.
    const QColor colour = style.isPlain() || text.trimmed().isEmpty()
                              ? m_font.colour
                              : paintEffect(canvas, band, corner, text, style);
    printText(canvas, corner, text, colour);
}

QColor CaptionPainter::paintEffect(QImage& canvas, const QRect& band, QPointF corner, const QString& text,
                                   const CaptionStyle& style) const
{
    const double ratio = m_scale.devicePixelRatio();
    const QFontMetricsF metrics(m_font.font, &canvas);
    const double line = metrics.height() * ratio;
    const int room = 2 * CaptionEffects::reach(line) + 2;
    const QRectF letters(corner * ratio, QSizeF(metrics.horizontalAdvance(text), metrics.height()) * ratio);
    const QRect box = letters.toAlignedRect().adjusted(-room, -room, room, room).intersected(band);
    if (box.isEmpty())
        return m_font.colour;
    QImage coverage(box.size(), QImage::Format_ARGB32_Premultiplied);
    coverage.fill(Qt::transparent);
    coverage.setDotsPerMeterX(canvas.dotsPerMeterX());
    coverage.setDotsPerMeterY(canvas.dotsPerMeterY());
    // Shifted by whole device pixels, the letters fall on the same pixels as on the canvas.
    printText(coverage, corner - QPointF(box.topLeft()) / ratio, text, Qt::black);
    return CaptionEffects(style, coverage, box, line).paintUnder(canvas, band, m_font.colour);
}

void CaptionPainter::printText(QImage& image, QPointF corner, const QString& text, const QColor& colour) const
{
    const double ratio = m_scale.devicePixelRatio();
    QPainter painter(&image);
    painter.setClipRect(bandAt(image.size(), corner));
    painter.setRenderHint(QPainter::TextAntialiasing);
    // The painter works in logical pixels scaled to device pixels.
    painter.scale(ratio, ratio);
    painter.setFont(m_font.font);
    painter.setPen(colour);
    painter.setBackgroundMode(Qt::TransparentMode);
    const QFontMetricsF metrics(m_font.font, &image);
    painter.drawText(corner + QPointF(0, metrics.ascent()), text);
}
