// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AlternatingBitmapPath.h"
#include "ToolRunner.h"
#include "platform/DesktopBackend.h"

/** LXQt: its desktop, pcmanfm-qt, takes the wallpaper and its mode on the command line. */
class LxqtDesktopBackend final : public DesktopBackend
{
public:
    LxqtDesktopBackend();
    QString name() const override { return QStringLiteral("lxqt"); }

    /** The --wallpaper-mode word for a style. */
    static QString modeFor(WallpaperStyle style);

protected:
    ApplyResult applyStyleThenFile(const QString& bitmapPath, WallpaperStyle style) override;

private:
    ToolRunner m_runner;
    AlternatingBitmapPath m_alternates;
};
