// SPDX-License-Identifier: GPL-3.0-or-later
#include "MateDesktopBackend.h"

MateDesktopBackend::MateDesktopBackend()
    : m_settings(QStringLiteral("MATE"), {QStringLiteral("org.mate.background"),
                                          QStringLiteral("picture-options"),
                                          {QStringLiteral("picture-filename")},
                                          {},
                                          false})
{}

ApplyResult MateDesktopBackend::applyStyleThenFile(const QString& bitmapPath, WallpaperStyle style)
{
    return m_settings.apply(bitmapPath, style);
}
