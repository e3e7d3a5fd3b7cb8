// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptionEffects.h"

#include "ContrastRatio.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {

/** How opaque a backdrop is: enough that black letters on it over black, or white over white, still read. */
constexpr int BackdropAlpha = 170;
/** Up to this share of the pixels around the letters may fall short before a halo is added. */
constexpr double ShortfallAllowed = 0.02;

} // namespace

CaptionEffects::CaptionEffects(CaptionStyle style, const QImage& letters, QRect box, double line)
    : m_style(style), m_box(box), m_reach(reach(line)), m_letters(std::size_t(box.width()) * box.height())
{
    for (int y = 0; y < box.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(letters.constScanLine(y));
        for (int x = 0; x < box.width(); ++x)
            m_letters[std::size_t(y) * box.width() + x] = quint8(qAlpha(row[x]));
    }
    m_around = grown(m_reach);
}

int CaptionEffects::reach(double line)
{
    // A tenth of a line, rounded up: 3 pixels for a 16-point caption, 5 at twice the scale.
    return std::max(2, int(std::ceil(line / 10)));
}

QColor CaptionEffects::paintUnder(QImage& canvas, const QRect& clip, const QColor& own) const
{
    const QColor fill = m_style.automaticColour ? automaticFill(canvas) : own;
    const QColor other = ContrastRatio::contrasting(ContrastRatio::luminance(fill.rgb()));
    switch (m_style.effect) {
    case CaptionStyle::Effect::Outline:
        paintCoverage(canvas, clip, m_around, QPoint(), other);
        break;
    case CaptionStyle::Effect::Shadow: {
        // Down and to the right, as light from the top left casts it.
        const int shift = std::max(1, m_reach / 2);
        paintCoverage(canvas, clip, grown(shift), QPoint(shift, shift), other);
        break;
    }
    case CaptionStyle::Effect::Backdrop:
        paintBackdrop(canvas, clip, other);
        break;
    case CaptionStyle::Effect::None:
        // A colour chosen for its contrast must have it: where the picture is too mixed for black or
        // white alone, the letters get a halo.
        if (m_style.automaticColour && !readable(canvas, fill))
            paintCoverage(canvas, clip, m_around, QPoint(), other);
        break;
    }
    return fill;
}

template<class Visit>
void CaptionEffects::forEachAround(const QImage& canvas, bool underToo, Visit visit) const
{
    for (int y = 0; y < m_box.height(); ++y) {
        const int cy = m_box.top() + y;
        if (cy < 0 || cy >= canvas.height())
            continue;
        const auto* row = reinterpret_cast<const QRgb*>(canvas.constScanLine(cy));
        for (int x = 0; x < m_box.width(); ++x) {
            const int cx = m_box.left() + x;
            const std::size_t i = std::size_t(y) * m_box.width() + x;
            if (cx >= 0 && cx < canvas.width() && m_around[i] != 0 && (underToo || m_letters[i] == 0))
                visit(row[cx]);
        }
    }
}

QColor CaptionEffects::automaticFill(const QImage& canvas) const
{
    double sum = 0;
    qint64 count = 0;
    forEachAround(canvas, true, [&](QRgb pixel) {
        sum += ContrastRatio::luminance(pixel);
        ++count;
    });
    return ContrastRatio::contrasting(count > 0 ? sum / double(count) : 1.0);
}

bool CaptionEffects::readable(const QImage& canvas, const QColor& fill) const
{
    const double ink = ContrastRatio::luminance(fill.rgb());
    qint64 count = 0, short_ = 0;
    forEachAround(canvas, false, [&](QRgb pixel) {
        ++count;
        if (ContrastRatio::between(ink, ContrastRatio::luminance(pixel)) < ContrastRatio::Readable)
            ++short_;
    });
    return short_ <= ShortfallAllowed * double(count);
}

std::vector<quint8> CaptionEffects::grown(int radius) const
{
    const int w = m_box.width(), h = m_box.height();
    // A disc, one row of it at a time: each row of the result is the greatest of the letters' rows above
    // and below, each widened by the disc's half-width at that distance.
    std::vector<quint8> result(m_letters.size(), 0);
    std::vector<quint8> widened(std::size_t(w), 0);
    for (int dy = -radius; dy <= radius; ++dy) {
        const int half = int(std::floor(std::sqrt(double(radius * radius - dy * dy) + 0.5)));
        for (int y = std::max(0, -dy); y < std::min(h, h - dy); ++y) {
            const quint8* source = &m_letters[std::size_t(y + dy) * w];
            for (int x = 0; x < w; ++x) {
                quint8 most = 0;
                for (int sx = std::max(0, x - half); sx <= std::min(w - 1, x + half); ++sx)
                    most = std::max(most, source[sx]);
                widened[std::size_t(x)] = most;
            }
            quint8* target = &result[std::size_t(y) * w];
            for (int x = 0; x < w; ++x)
                target[x] = std::max(target[x], widened[std::size_t(x)]);
        }
    }
    return result;
}

void CaptionEffects::paintCoverage(QImage& canvas, const QRect& clip, const std::vector<quint8>& coverage,
                                   QPoint offset, const QColor& colour) const
{
    QImage layer(m_box.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < m_box.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(layer.scanLine(y));
        for (int x = 0; x < m_box.width(); ++x) {
            const int a = coverage[std::size_t(y) * m_box.width() + x];
            row[x] = qPremultiply(qRgba(colour.red(), colour.green(), colour.blue(), a));
        }
    }
    QPainter painter(&canvas);
    painter.setClipRect(clip);
    painter.drawImage(m_box.topLeft() + offset, layer);
}

void CaptionEffects::paintBackdrop(QImage& canvas, const QRect& clip, const QColor& colour) const
{
    // Round the letters' own extent: the box holds room for a halo that a backdrop does not need.
    QRect letters;
    for (int y = 0; y < m_box.height(); ++y)
        for (int x = 0; x < m_box.width(); ++x)
            if (m_letters[std::size_t(y) * m_box.width() + x] != 0)
                letters |= QRect(x, y, 1, 1);
    if (letters.isEmpty())
        return;
    QColor translucent = colour;
    translucent.setAlpha(BackdropAlpha);
    QPainter painter(&canvas);
    painter.setClipRect(clip);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(
        QRectF(letters.translated(m_box.topLeft()).adjusted(-2 * m_reach, -m_reach, 2 * m_reach, m_reach)),
        m_reach * 2, m_reach * 2);
    painter.fillPath(shape, translucent);
}
