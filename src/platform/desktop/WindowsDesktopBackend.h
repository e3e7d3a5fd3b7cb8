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
    Takes takes() const override { return Takes::SpannedBitmap; }

protected:
    Result<> applyStyleThenFiles(const QStringList& files, WallpaperStyle style) override;
};
