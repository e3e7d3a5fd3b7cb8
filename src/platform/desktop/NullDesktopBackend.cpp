// SPDX-License-Identifier: GPL-3.0-or-later
#include "NullDesktopBackend.h"

#include <utility>

NullDesktopBackend::NullDesktopBackend(QString reason) : m_reason(std::move(reason)) {}

ApplyResult NullDesktopBackend::applyStyleThenFile(const QString& bitmapPath, WallpaperStyle style)
{
    Q_UNUSED(bitmapPath);
    Q_UNUSED(style);
    return {false, m_reason};
}
