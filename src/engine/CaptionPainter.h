// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CaptionFont.h"
#include "CaptionStyle.h"
#include "CheckedSettings.h"
#include "TwipScale.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPointF>
#include <QRect>
#include <QSizeF>
#include <QString>

/**
 * One caption measured in the caption font, once, and printed onto the output canvas with what a
 * style puts under the letters.
 */
class CaptionPainter
{
public:
    CaptionPainter(CaptionFont font, TwipScale scale, QString caption);

    const QString& caption() const { return m_caption; }

    /** Height of one line of text, in twips: the caption strip's height. */
    double lineHeight() const;

    /**
     * Prints the caption at `position` within `area` of `canvas` (both in device pixels), with no
     * background behind the letters but what `style` puts there, and nothing outside `band`. A caption
     * wider than the area ends in "…" where the area ends, so that all of what is printed can be seen.
     */
    void paint(QImage& canvas, const QRect& area, CheckedSettings::CaptionPosition position,
               const CaptionStyle& style = {}) const;

    /**
     * The rows of a canvas of `canvas` pixels that `paint` may change: the caption's line with a line's
     * room above and below for letters that reach out of it. Empty when there is no caption.
     */
    QRect band(QSize canvas, const QRect& area, CheckedSettings::CaptionPosition position) const;

    /**
     * The width in device pixels an area must have for the caption to be printed whole: its letters and
     * the room the positions keep from the edges. 0 for blanks, which show nothing.
     */
    int widthNeeded() const { return m_widthNeeded; }

private:
    /** The caption as it fits between the edges of `area`: cut short with "…" when it is wider. */
    QString fitted(const QRect& area) const;
    /** Width of `text` and height of one line, in twips. */
    QSizeF measure(const QString& text) const;
    /** Top-left corner of the text, in logical pixels of the canvas. */
    QPointF textCorner(const QRect& area, const QString& text,
                       CheckedSettings::CaptionPosition position) const;
    /** The band of a caption line whose text starts at `corner`. */
    QRect bandAt(QSize canvas, QPointF corner) const;
    /** Draws the style's effect under the letters; the colour the letters then take. */
    QColor paintEffect(QImage& canvas, const QRect& band, QPointF corner, const QString& text,
                       const CaptionStyle& style) const;
    /** Prints `text` in `colour` with its top-left corner at `corner`, as the plain caption is printed. */
    void printText(QImage& image, QPointF corner, const QString& text, const QColor& colour) const;

    CaptionFont m_font;
    TwipScale m_scale;
    QString m_caption;
    /** The font at the screen's logical resolution, so points become logical pixels as on screen. */
    QFontMetricsF m_metrics;
    /** The caption's width in logical pixels. */
    double m_advance;
    int m_widthNeeded;
};
