// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopBackend.h"
#include "FreshBitmapCopy.h"
#include "ToolRunner.h"

#include <QStringList>

/**
 * XFCE: xfdesktop keeps one backdrop per monitor and workspace in the xfconf channel "xfce4-desktop",
 * under /backdrop/screen0/monitor<output>/workspace<n>/. Every one of them gets the style, then the file.
 */
class XfceDesktopBackend final : public DesktopBackend
{
public:
    /** `outputNames`: the RandR names of the connected outputs, used where a profile has no backdrop yet. */
    explicit XfceDesktopBackend(QStringList outputNames);
    QString name() const override { return QStringLiteral("xfce"); }

protected:
    ApplyResult applyStyleThenFile(const QString& bitmapPath, WallpaperStyle style) override;

private:
    int workspaceCount() const;
    bool setProperty(const QString& property, const QString& type, const QString& value,
                     QString& error) const;

    ToolRunner m_runner;
    QStringList m_outputs;
    FreshBitmapCopy m_copies;
};
