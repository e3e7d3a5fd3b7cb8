// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopBackend.h"

/** The Windows desktop: the style values in the user's registry, then the file through the system call. */
class WindowsDesktopBackend final : public DesktopBackend
{
public:
    QString name() const override { return QStringLiteral("windows"); }
    /**
     * Windows 8 and later lay a "span" bitmap over the virtual screen's bounding box: one the size of that
     * box shows each monitor its own part 1:1.
     */
    bool spans() const override { return true; }

protected:
    ApplyResult applyStyleThenFile(const QString& bitmapPath, WallpaperStyle style) override;
};
