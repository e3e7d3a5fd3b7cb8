// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopBackend.h"
#include "FreshBitmapCopy.h"
#include "ToolRunner.h"

/**
 * sway and other wlroots compositors that take sway's IPC: `output * bg FILE MODE COLOUR`. sway expands
 * the file name like a shell would (command substitution included), so a name holding anything but
 * plain characters never goes to it: such a bitmap is copied to a folder whose path is plain.
 */
class SwayDesktopBackend final : public DesktopBackend
{
public:
    /** `plainFolder`: where a bitmap whose path needs quoting is copied first (the runtime folder). */
    explicit SwayDesktopBackend(QString plainFolder);
    QString name() const override { return QStringLiteral("sway"); }

protected:
    ApplyResult applyStyleThenFile(const QString& bitmapPath, WallpaperStyle style) override;

private:
    ToolRunner m_runner;
    QString m_plainFolder;
    FreshBitmapCopy m_copies;
};
