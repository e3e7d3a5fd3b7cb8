// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopBackend.h"
#include "FreshBitmapCopy.h"
#include "MonitorPartFiles.h"
#include "ToolRunner.h"

#include <QList>
#include <utility>

/**
 * sway and other wlroots compositors that take sway's IPC: `output * bg FILE MODE COLOUR`, or with several
 * monitors each output its own part of the whole desktop's bitmap, stretched (it is made for the output).
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
    /** Each output gets its own part of the whole desktop's bitmap. */
    bool spans() const override { return true; }

protected:
    ApplyResult applyStyleThenFile(const QString& bitmapPath, WallpaperStyle style) override;

private:
    /** Where copies for sway go: empty for the bitmap's own folder, else the plain folder, made if need be.
     */
    bool copyFolder(const QString& bitmapPath, QString& folder, QString& error) const;
    /** Each monitor's part on the sway output in its place, all in one command. */
    ApplyResult applyPerOutput(const QString& bitmapPath, const QString& folder);
    /** Sends `output NAME bg FILE MODE #000000` for each (name, file) at once; the first refusal as error. */
    ApplyResult setBackgrounds(const QList<std::pair<QString, QString>>& backgrounds,
                               const QString& mode) const;

    ToolRunner m_runner;
    QString m_plainFolder;
    FreshBitmapCopy m_copies;
    MonitorPartFiles m_parts;
};
