// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopBackend.h"
#include "ToolRunner.h"

/**
 * The user's own program sets the wallpaper: the command from the settings file is split into a program
 * and its arguments (double quotes group words; nothing is expanded and no shell runs it), and
 * the bitmap's path and the style word are appended as two more arguments.
 */
class CommandDesktopBackend final : public DesktopBackend
{
public:
    explicit CommandDesktopBackend(QString command);
    QString name() const override { return QStringLiteral("command"); }

protected:
    Result<> applyStyleThenFiles(const QStringList& files, WallpaperStyle style) override;

private:
    ToolRunner m_runner;
    QString m_command;
};
