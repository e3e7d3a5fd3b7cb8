// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopBackend.h"
#include "ToolRunner.h"

/**
 * LXQt and LXDE: their desktop programs, pcmanfm-qt and pcmanfm, take the wallpaper and its mode on
 * the command line in the same form. Both can show one bitmap of the whole desktop with each monitor's
 * part 1:1, each by its own mode word: pcmanfm-qt draws one window across the whole desktop, so its
 * "stretch" of a desktop-sized bitmap is 1:1; pcmanfm draws a window per monitor and its "screen" mode
 * scales the bitmap to the whole desktop and shows each monitor its own part. pcmanfm's command line
 * reaches only its first monitor (the first RandR output, not necessarily the primary), so spanning is
 * also what puts the right part on that one, whichever monitor it is.
 */
class PcmanfmDesktopBackend final : public DesktopBackend
{
public:
    /** LXQt's desktop. */
    static std::unique_ptr<DesktopBackend> lxqt();
    /** LXDE's desktop. */
    static std::unique_ptr<DesktopBackend> lxde();

    /**
     * `name` as the settings file spells it, `desktop` as messages name it, `program` to run;
     * `spanMode` the program's mode word that shows a desktop-sized bitmap 1:1 across all monitors.
     */
    PcmanfmDesktopBackend(QString name, const QString& desktop, QString program, QString spanMode);
    QString name() const override { return m_name; }
    Takes takes() const override { return Takes::SpannedBitmap; }
    /** Both keep showing a file they have shown before. */
    Result<std::optional<QString>> freshFolder(const QString&) const override
    {
        return std::optional<QString>(QString());
    }

protected:
    Result<> applyStyleThenFiles(const QStringList& files, WallpaperStyle style) override;

private:
    QString modeFor(WallpaperStyle style) const;

    QString m_name;
    QString m_program;
    ToolRunner m_runner;
    QString m_spanMode;
};
