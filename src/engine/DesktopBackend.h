// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Result.h"
#include "ScreenInfo.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

/** How the desktop lays the bitmap out on the screen. */
enum class WallpaperStyle {
    Center,
    Tile,
    Stretch,
    /** One bitmap of the whole desktop, each monitor showing its own part of it 1:1. */
    Span
};

/** Makes bitmap files the desktop wallpaper on one kind of desktop. */
class DesktopBackend
{
public:
    /** What the desktop takes when there are several monitors. */
    enum class Takes {
        /** One bitmap, made for the primary monitor. */
        OneBitmap,
        /** One bitmap of the whole desktop (all monitors' bounding box), each monitor showing its part 1:1.
         */
        SpannedBitmap,
        /** A file for each monitor, made for it and stretched onto it 1:1. */
        FilePerMonitor
    };

    virtual ~DesktopBackend() = default;
    /** Short name, as the settings file's "desktop" / "backend" key spells it. */
    virtual QString name() const = 0;
    virtual Takes takes() const { return Takes::OneBitmap; }
    /**
     * Whether the desktop may scale a bitmap smaller than the screen (GNOME at scale 2 halves a centred
     * one): it is then handed only screen-sized bitmaps, a centred picture placed on one.
     */
    virtual bool scalesSmallBitmaps() const { return false; }
    /**
     * Where the desktop is handed its files under names it has never been given (it keeps showing what it
     * loaded from a path): a folder, empty for the bitmap's own; nothing when it may be handed the bitmap's
     * own path. Parts for each monitor always get such names, in the bitmap's folder when nothing.
     */
    virtual Result<std::optional<QString>> freshFolder(const QString& bitmapPath) const
    {
        Q_UNUSED(bitmapPath)
        return std::optional<QString>();
    }

    /**
     * Sets the style and then the files as the wallpaper: one file for every monitor, or, for a desktop
     * that takes a file per monitor, one for each of `monitors` (the primary first) in their order.
     */
    Result<> apply(const QStringList& files, WallpaperStyle style,
                   const QList<MonitorGeometry>& monitors = {})
    {
        m_monitors = monitors;
        return applyStyleThenFiles(files, style);
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

    /** Writes the desktop's style values first and the files last; the first step that failed. */
    virtual Result<> applyStyleThenFiles(const QStringList& files, WallpaperStyle style) = 0;

private:
    QList<MonitorGeometry> m_monitors;
};
