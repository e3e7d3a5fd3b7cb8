// SPDX-License-Identifier: GPL-3.0-or-later
#include "NullDesktopBackend.h"

#include <utility>

NullDesktopBackend::NullDesktopBackend(QString reason) : m_reason(std::move(reason)) {}

Result<> NullDesktopBackend::applyStyleThenFiles(const QStringList&, WallpaperStyle)
{
    return Failure::because(m_reason);
}
