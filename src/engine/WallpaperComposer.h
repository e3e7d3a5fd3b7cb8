// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CaptionFont.h"
#include "TwipScale.h"
#include "platform/ScreenInfo.h"

#include <QImage>
#include <QRectF>
#include <QString>
#include <optional>

struct Settings;

/** The settings one composition reads, converted; display type and caption placement as numbers. */
struct CompositionSettings
{
    /** 0 stretched, 1 centred, 2 tiled; other values size the canvas like centred. */
    double displayType = 0;
    /** 1 puts the caption in a strip of its own; anything else prints it over the picture. */
    double onOffCaption = 0;
    /** 0 centre top, 1 right top, anything else bottom centre. */
    double captionPosition = 2;
    CaptionFont font;

    /** Nothing when a value does not read as its type. */
    static std::optional<CompositionSettings> fromSettings(const Settings& settings);
};

/**
 * Turns a picture into the wallpaper bitmap: tiles it when asked, sizes the output canvas for the
 * display type, paints the picture into it (leaving a strip for the caption when the caption is
 * placed off the picture) and prints the caption. Canvases are white; sizes follow the screen.
 */
class WallpaperComposer
{
public:
    WallpaperComposer(const ScreenGeometry& screen, CompositionSettings settings);

    /** Whether the caption gets a strip of its own: placed off the picture, and neither "" nor " ". */
    static bool stripRule(double onOffCaption, const QString& caption);

    /** Where the picture goes on a canvas of `canvas` twips, with a strip of `strip` twips or none. */
    static QRectF pictureRect(QSizeF canvas, double strip, double captionPosition);

    /**
     * The size, in device pixels, the stretched picture is shown at for this caption; empty when the
     * picture keeps its own size. A loader may decode a large picture already reduced towards it.
     */
    QSize shownSize(const QString& caption) const;

    /**
     * The finished bitmap in device pixels; a null image when it cannot be made (out of memory).
     * Takes the picture by value so that a caller who moves it in lets the photo go as early as possible.
     */
    QImage compose(QImage source, const QString& caption) const;

private:
    double stripHeight(const QString& caption) const;
    QImage tiled(const QImage& picture) const;

    ScreenGeometry m_screen;
    TwipScale m_scale;
    CompositionSettings m_settings;
};
