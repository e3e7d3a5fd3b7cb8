// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopBackend.h"
#include "FreshBitmapCopy.h"
#include "MonitorParts.h"
#include "ToolRunner.h"

#include <QStringList>
#include <map>

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
    /** Each monitor's backdrop gets its own part of the whole desktop's bitmap. */
    bool spans() const override { return true; }

protected:
    ApplyResult applyStyleThenFile(const QString& bitmapPath, WallpaperStyle style) override;

private:
    int workspaceCount() const;
    /**
     * For each monitor of a spanned bitmap, its own part as a fresh file; the folders each goes to in
     * `files`. False, with `error`, when a part cannot be written.
     */
    bool cutPerMonitor(const QString& bitmapPath, const QStringList& folders,
                       std::map<QString, QString>& files, QString& error);
    bool setProperty(const QString& property, const QString& type, const QString& value,
                     QString& error) const;

    ToolRunner m_runner;
    QStringList m_outputs;
    FreshBitmapCopy m_copies;
    MonitorParts m_parts;
};
