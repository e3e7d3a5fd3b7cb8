// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopBackend.h"

/**
 * Draws the wallpaper into the X11 root window itself, for window managers that leave the root alone
 * (i3, openbox, ...). The pixmap is published in `_XROOTPMAP_ID` / `ESETROOT_PMAP_ID` for
 * pseudo-transparent programs and kept alive in the server after we disconnect.
 */
class X11RootBackend final : public DesktopBackend
{
public:
    /** `displayName` empty: the display named by $DISPLAY. */
    explicit X11RootBackend(QString displayName = {});

    QString name() const override { return QStringLiteral("x11"); }
    /** The root window covers every monitor: a bitmap of its size shows each its own part. */
    Takes takes() const override { return Takes::SpannedBitmap; }

protected:
    Result<> applyStyleThenFiles(const QStringList& files, WallpaperStyle style) override;

private:
    QString m_displayName;
};
