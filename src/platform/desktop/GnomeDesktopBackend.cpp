// SPDX-License-Identifier: GPL-3.0-or-later
#include "GnomeDesktopBackend.h"

GnomeDesktopBackend::GnomeDesktopBackend()
    : m_settings(QStringLiteral("GNOME"), {QStringLiteral("org.gnome.desktop.background"),
                                           QStringLiteral("picture-options"),
                                           {QStringLiteral("picture-uri")},
                                           QStringLiteral("picture-uri-dark"),
                                           true})
{}

ApplyResult GnomeDesktopBackend::applyStyleThenFile(const QString& bitmapPath, WallpaperStyle style)
{
    return m_settings.apply(bitmapPath, style);
}
