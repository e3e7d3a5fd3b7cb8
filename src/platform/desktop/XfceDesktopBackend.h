// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopBackend.h"
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
    /** Each monitor's backdrop gets its own file. */
    Takes takes() const override { return Takes::FilePerMonitor; }
    /** xfdesktop keeps showing a file it has shown before. */
    Result<std::optional<QString>> freshFolder(const QString&) const override
    {
        return std::optional<QString>(QString());
    }

protected:
    Result<> applyStyleThenFiles(const QStringList& files, WallpaperStyle style) override;

private:
    int workspaceCount() const;
    /** Each folder and the file it shows: one for all, or each monitor's own. */
    std::map<QString, QString> filesPerFolder(const QStringList& files, const QStringList& folders) const;
    Result<> setProperty(const QString& property, const QString& type, const QString& value) const;

    ToolRunner m_runner;
    QStringList m_outputs;
};
