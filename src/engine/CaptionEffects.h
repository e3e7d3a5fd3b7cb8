// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CaptionStyle.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <vector>

/**
 * What goes under a caption's letters so that they can be read on any picture: a halo, a shadow or a
 * backdrop in the colour that stands out against the letters, and the letters' colour itself when it is
 * chosen from the picture. Works on the letters' coverage, so every decoration of the font is included.
 */
class CaptionEffects
{
public:
    /**
     * `letters`: the caption's coverage (its alpha) over `box` of the canvas, in device pixels, with room
     * around it for the effect; `line`: one line's height in device pixels, which sizes the effect.
     */
    CaptionEffects(CaptionStyle style, const QImage& letters, QRect box, double line);

    /** Halo and shadow reach this far from the letters, scaled with the font: a few device pixels. */
    static int reach(double line);

    /**
     * Paints the effect onto `canvas` (nothing outside `clip`) and gives the colour the letters take:
     * `own`, or black or white as the picture under them needs.
     */
    QColor paintUnder(QImage& canvas, const QRect& clip, const QColor& own) const;

private:
    /** Black or white, whichever stands out more against the pixels under and around the letters. */
    QColor automaticFill(const QImage& canvas) const;
    /** Whether `fill` reaches a readable contrast against nearly all pixels around the letters. */
    bool readable(const QImage& canvas, const QColor& fill) const;
    /** The coverage grown by `radius` pixels in every direction. */
    std::vector<quint8> grown(int radius) const;
    /** Calls `visit` with each canvas pixel around the letters, and under them too with `underToo`. */
    template<class Visit> void forEachAround(const QImage& canvas, bool underToo, Visit visit) const;
    /** Paints `colour` with the given coverage onto the canvas, shifted by `offset`. */
    void paintCoverage(QImage& canvas, const QRect& clip, const std::vector<quint8>& coverage, QPoint offset,
                       const QColor& colour) const;
    void paintBackdrop(QImage& canvas, const QRect& clip, const QColor& colour) const;

    CaptionStyle m_style;
    QRect m_box;
    int m_reach;
    /** The letters' coverage, row by row over the box. */
    std::vector<quint8> m_letters;
    /** The letters grown by the reach: what a halo covers, and what the colour is judged against. */
    std::vector<quint8> m_around;
};
