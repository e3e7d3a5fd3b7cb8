// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopBackend.h"

/** The Windows desktop: the style values in the user's registry, then the file through the system call. */
class WindowsDesktopBackend final : public DesktopBackend
{
public:
    QString name() const override { return QStringLiteral("windows"); }

protected:
    ApplyResult applyStyleThenFile(const QString& bitmapPath, WallpaperStyle style) override;
};
