// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GSettingsWallpaper.h"
#include "platform/DesktopBackend.h"

/** Cinnamon: GNOME's background keys under its own schema, with no dark-style key. */
class CinnamonDesktopBackend final : public DesktopBackend
{
public:
    CinnamonDesktopBackend();
    QString name() const override { return QStringLiteral("cinnamon"); }

protected:
    ApplyResult applyStyleThenFile(const QString& bitmapPath, WallpaperStyle style) override;

private:
    GSettingsWallpaper m_settings;
};
