// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CaptionFont.h"
#include "CaptionPainter.h"
#include "CaptionStyle.h"
#include "CheckedSettings.h"
#include "DecodeDeadline.h"
#include "PictureView.h"
#include "Result.h"
#include "ScreenInfo.h"
#include "TwipScale.h"

#include <QImage>
#include <QRect>
#include <QString>

class BitmapWriter;
class FileSystem;

/** The settings one composition reads, checked: each is one of the values below. */
struct CompositionSettings
{
    CheckedSettings::DisplayType displayType = CheckedSettings::DisplayType::Stretch;
    CheckedSettings::CaptionPlacement captionPlacement = CheckedSettings::CaptionPlacement::OnPicture;
    CheckedSettings::CaptionPosition captionPosition = CheckedSettings::CaptionPosition::BottomCentre;
    CaptionFont font;
    /** Applies to a caption on the picture; one in a strip of its own is printed plain. */
    CaptionStyle style;
    /** When stretched: stretched, covering the screen with its middle, or whole within the screen. */
    CheckedSettings::Fitting fitting = CheckedSettings::Fitting::Stretch;
    /** A centred picture goes on a screen-sized bitmap, for a desktop that would scale a smaller one. */
    bool centreOnScreen = false;

    static CompositionSettings from(const CheckedSettings& settings);
};

/**
 * Turns a picture into the wallpaper bitmap: tiles it when asked, sizes the output canvas for the
 * display type, paints the picture into it (leaving a strip for the caption when the caption is
 * placed off the picture) and prints the caption. Canvases are white and in device pixels: a centred
 * or tiled picture is drawn pixel for pixel at every scale factor, only the stretched, filled and fitted
 * ones are scaled (the last two with their shape kept, on black where the picture leaves room).
 * The caption and its strip stay inside the screen's work area, so that no panel hides them; a caption
 * wider than a centred picture widens the picture's block, white at its sides, so that it shows whole.
 */
class WallpaperComposer
{
public:
    WallpaperComposer(const ScreenGeometry& screen, CompositionSettings settings);

    /**
     * What of a picture can be seen with this caption, in device pixels: the size the stretched
     * picture is shrunk to, or the screen-sized part of a centred (its middle) or tiled (its top-left
     * corner) one. A loader decodes no more than that. A filled or fitted picture's scale depends on
     * its shape: without its `picture` size (upright) it is decoded whole.
     */
    PictureView view(const QString& caption, QSize picture = {}) const;

    /**
     * The finished bitmap in device pixels; a null image when it cannot be made (out of memory).
     * Takes the picture by value so that a caller who moves it in lets the photo go as early as possible.
     */
    QImage compose(QImage source, const QString& caption) const;

    /**
     * The finished bitmap of the picture in `path`, loaded as `PictureLoader` does for this view:
     * a failure saying why when the file cannot be read as a picture, a null image when the bitmap
     * cannot be made. A large JPEG stretched is decoded straight into the canvas, and each
     * row the caption cannot touch goes to `early` (when given) the moment it is painted, so that
     * writing the bitmap overlaps decoding it. A decode still running at `deadline` is abandoned, and the
     * reason is the deadline's. Given `into` (the size of the bitmap, RGB32), a stretched JPEG is painted
     * straight into it, which may be part of a larger bitmap; the result then shares its pixels.
     */
    Result<QImage> composeFile(FileSystem& files, const QString& path, const QString& caption,
                               BitmapWriter* early = nullptr,
                               const DecodeDeadline& deadline = DecodeDeadline(),
                               QImage* into = nullptr) const;

private:
    /** Where things go on the canvas, in device pixels. */
    struct Layout
    {
        QRect canvas;
        /** The bitmap proper: the canvas but for the surround of a centred picture placed on the screen. */
        QRect content;
        /** Where the picture is painted: the canvas but for the caption strip. */
        QRect picture;
        /** The part of the canvas the desktop shows inside the work area; the caption goes there. */
        QRect captionArea;
    };

    /** A caption measured once for all that places and prints it. */
    struct Caption
    {
        CaptionPainter painter;
        /** The height of its strip in device pixels; 0 for a caption on the picture. */
        int strip = 0;
        /** Plain in a strip, the caption's own on the picture. */
        CaptionStyle style;
    };

    Caption measured(const QString& caption) const;
    PictureView view(const Caption& caption, QSize picture) const;
    QImage compose(QImage source, const Caption& caption) const;
    Layout layout(QSize picture, const Caption& caption) const;
    /**
     * How wide a centred picture's block is made: the picture's `picture` pixels, or more, so that the
     * part of it the work area shows holds the whole caption (or all of the work area, for one wider).
     */
    int centredWidth(int picture, const Caption& caption) const;
    QImage tiled(const QImage& picture) const;
    bool screenSized() const;
    void paintPicture(const QImage& picture, QImage& canvas, const Layout& where) const;

    ScreenGeometry m_screen;
    TwipScale m_scale;
    CompositionSettings m_settings;
};
