// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GSettingsWallpaper.h"
#include "platform/DesktopBackend.h"

/** GNOME and the desktops that share its background settings (Ubuntu, Budgie, Unity, Pantheon). */
class GnomeDesktopBackend final : public DesktopBackend
{
public:
    GnomeDesktopBackend();
    QString name() const override { return QStringLiteral("gnome"); }

protected:
    ApplyResult applyStyleThenFile(const QString& bitmapPath, WallpaperStyle style) override;

private:
    GSettingsWallpaper m_settings;
};
