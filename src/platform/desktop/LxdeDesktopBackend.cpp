// SPDX-License-Identifier: GPL-3.0-or-later
#include "LxdeDesktopBackend.h"

LxdeDesktopBackend::LxdeDesktopBackend() : m_runner(QStringLiteral("LXDE")) {}

QString LxdeDesktopBackend::modeFor(WallpaperStyle style)
{
    switch (style) {
    case WallpaperStyle::Center:
        return QStringLiteral("center");
    case WallpaperStyle::Tile:
        return QStringLiteral("tile");
    case WallpaperStyle::Stretch:
        break;
    }
    return QStringLiteral("stretch");
}

ApplyResult LxdeDesktopBackend::applyStyleThenFile(const QString& bitmapPath, WallpaperStyle style)
{
    QString error;
    const QString fresh = m_alternates.prepare(bitmapPath, error);
    if (fresh.isEmpty())
        return {false, m_runner.desktop() + QStringLiteral(": ") + error};
    // The "=" forms keep a value from ever being read as an option of its own. Toolkit warnings on
    // standard error are common here and say nothing about the wallpaper, so only the exit code counts.
    const ToolRunner::Outcome set = m_runner.run(
        QStringLiteral("pcmanfm"),
        {QStringLiteral("--wallpaper-mode=") + modeFor(style), QStringLiteral("--set-wallpaper=") + fresh},
        ToolRunner::ErrorOutput::Ignored);
    m_alternates.finish(set.ok);
    return {set.ok, set.reason};
}
