// SPDX-License-Identifier: GPL-3.0-or-later
#include "CinnamonDesktopBackend.h"

CinnamonDesktopBackend::CinnamonDesktopBackend()
    : m_settings(QStringLiteral("Cinnamon"), {QStringLiteral("org.cinnamon.desktop.background"),
                                              QStringLiteral("picture-options"),
                                              {QStringLiteral("picture-uri")},
                                              {},
                                              true})
{}

ApplyResult CinnamonDesktopBackend::applyStyleThenFile(const QString& bitmapPath, WallpaperStyle style)
{
    return m_settings.apply(bitmapPath, style);
}
