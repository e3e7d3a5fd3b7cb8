// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScreenInfo.h"

#include <QList>
#include <QString>

/** What became of one attempt to set the desktop wallpaper. */
struct ApplyResult
{
    bool ok = false;
    /** Why it failed, in words a person can act on (which desktop, what failed). Empty on success. */
    QString reason;
};

/** How the desktop lays the bitmap out on the screen. */
enum class WallpaperStyle {
    Center,
    Tile,
    Stretch,
    /** One bitmap of the whole desktop, each monitor showing its own part of it 1:1. */
    Span
};

/** Makes a bitmap file the desktop wallpaper on one kind of desktop. */
class DesktopBackend
{
public:
    virtual ~DesktopBackend() = default;
    /** Short name, as the settings file's "desktop" / "backend" key spells it. */
    virtual QString name() const = 0;
    /**
     * Whether the desktop may scale a bitmap smaller than the screen (GNOME at scale 2 halves a centred
     * one): it is then handed only screen-sized bitmaps, a centred picture placed on one.
     */
    virtual bool scalesSmallBitmaps() const { return false; }
    /**
     * Whether the desktop shows one bitmap of the whole desktop (all monitors' bounding box) with each
     * monitor showing its own part 1:1, when handed the style "Span".
     */
    virtual bool spans() const { return false; }

    /**
     * Sets the style and then the file as the wallpaper; Span only for a desktop that spans.
     * `monitors` (the primary first) say where each monitor's part of a spanned bitmap lies, for a
     * desktop that takes a bitmap per monitor.
     */
    ApplyResult apply(const QString& bitmapPath, WallpaperStyle style,
                      const QList<MonitorGeometry>& monitors = {})
    {
        m_monitors = monitors;
        return applyStyleThenFile(bitmapPath, style);
    }

    /** The word the settings file and the user's command use for a style. */
    static QString styleWord(WallpaperStyle style)
    {
        switch (style) {
        case WallpaperStyle::Center:
            return QStringLiteral("Center");
        case WallpaperStyle::Tile:
            return QStringLiteral("Tile");
        case WallpaperStyle::Span:
            return QStringLiteral("Span");
        case WallpaperStyle::Stretch:
            break;
        }
        return QStringLiteral("Stretch");
    }

protected:
    /** The monitors of the apply under way, as the caller gave them. */
    const QList<MonitorGeometry>& monitors() const { return m_monitors; }

    /** Writes the desktop's style values first and the file last; reports the first step that failed. */
    virtual ApplyResult applyStyleThenFile(const QString& bitmapPath, WallpaperStyle style) = 0;

private:
    QList<MonitorGeometry> m_monitors;
};
