// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopBackend.h"
#include "ToolRunner.h"

#include <QList>
#include <utility>

/**
 * sway and other wlroots compositors that take sway's IPC: `output * bg FILE MODE COLOUR`, or with several
 * monitors each output its own file, stretched (it is made for the output).
 * sway expands the file name like a shell would (command substitution included), so a name holding
 * anything but plain characters never goes to it: such a bitmap is copied to a folder whose path is plain.
 */
class SwayDesktopBackend final : public DesktopBackend
{
public:
    /** `plainFolder`: where a bitmap whose path needs quoting is copied first (the runtime folder). */
    explicit SwayDesktopBackend(QString plainFolder);
    QString name() const override { return QStringLiteral("sway"); }
    /**
     * swaybg puts a centred bitmap at a half pixel where its size and the output's differ by an odd number,
     * and then blurs every pixel of it: it is handed only bitmaps the size of the output.
     */
    bool scalesSmallBitmaps() const override { return true; }
    /** Each output gets its own file. */
    Takes takes() const override { return Takes::FilePerMonitor; }
    /**
     * swaybg reads the file afresh each time: a plain path is handed as it is; else the plain folder, made
     * if need be.
     */
    Result<std::optional<QString>> freshFolder(const QString& bitmapPath) const override;

protected:
    Result<> applyStyleThenFiles(const QStringList& files, WallpaperStyle style) override;

private:
    /** Each monitor's file on the sway output in its place, all in one command. */
    Result<> applyPerOutput(const QStringList& files);
    /** Sends `output NAME bg FILE MODE #000000` for each (name, file) at once; the first refusal as error. */
    Result<> setBackgrounds(const QList<std::pair<QString, QString>>& backgrounds, const QString& mode) const;

    ToolRunner m_runner;
    QString m_plainFolder;
};
