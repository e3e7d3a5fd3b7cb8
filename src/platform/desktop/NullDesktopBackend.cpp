// SPDX-License-Identifier: GPL-3.0-or-later
#include "NullDesktopBackend.h"

#include <utility>

NullDesktopBackend::NullDesktopBackend(QString reason) : m_reason(std::move(reason)) {}

ApplyResult NullDesktopBackend::applyStyleThenFile(const QString&, WallpaperStyle)
{
    return {false, m_reason};
}
