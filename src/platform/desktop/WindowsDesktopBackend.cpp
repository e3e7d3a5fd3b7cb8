// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowsDesktopBackend.h"

#include "WindowsWallpaper.h"

#include <QDir>
#include <QFileInfo>

Result<> WindowsDesktopBackend::applyStyleThenFiles(const QStringList& files, WallpaperStyle style)
{
    WindowsWallpaper::Style chosen = WindowsWallpaper::Style::Stretch;
    if (style == WallpaperStyle::Center)
        chosen = WindowsWallpaper::Style::Center;
    else if (style == WallpaperStyle::Tile)
        chosen = WindowsWallpaper::Style::Tile;
    else if (style == WallpaperStyle::Span)
        chosen = WindowsWallpaper::Style::Span;

    // The system resolves a relative path against some other folder, or not at all.
    const QString path = QDir::toNativeSeparators(QFileInfo(files.value(0)).absoluteFilePath());
    WindowsWallpaper wallpaper;
    const std::wstring error = wallpaper.apply(path.toStdWString(), chosen);
    if (error.empty())
        return {};
    return Failure::because(QStringLiteral("Windows: %1").arg(QString::fromStdWString(error)));
}
