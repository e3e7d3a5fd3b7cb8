// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GSettingsWallpaper.h"
#include "platform/DesktopBackend.h"

/** MATE: its own background schema, which takes a plain path rather than a URI. */
class MateDesktopBackend final : public DesktopBackend
{
public:
    MateDesktopBackend();
    QString name() const override { return QStringLiteral("mate"); }

protected:
    ApplyResult applyStyleThenFile(const QString& bitmapPath, WallpaperStyle style) override;

private:
    GSettingsWallpaper m_settings;
};
