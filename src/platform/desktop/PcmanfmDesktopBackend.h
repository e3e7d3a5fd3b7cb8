// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopBackend.h"
#include "FreshBitmapCopy.h"
#include "ToolRunner.h"

/**
 * LXQt and LXDE: their desktop programs, pcmanfm-qt and pcmanfm, take the wallpaper and its mode on
 * the command line in the same form.
 */
class PcmanfmDesktopBackend final : public DesktopBackend
{
public:
    /** LXQt's desktop. */
    static std::unique_ptr<DesktopBackend> lxqt();
    /** LXDE's desktop. */
    static std::unique_ptr<DesktopBackend> lxde();

    /**
     * `name` as the settings file spells it, `desktop` as messages name it, `program` to run; `spans`
     * when the program stretches one bitmap across the whole desktop.
     */
    PcmanfmDesktopBackend(QString name, const QString& desktop, QString program, bool spans = false);
    QString name() const override { return m_name; }
    bool spans() const override { return m_spans; }

protected:
    ApplyResult applyStyleThenFile(const QString& bitmapPath, WallpaperStyle style) override;

private:
    static QString modeFor(WallpaperStyle style);

    QString m_name;
    QString m_program;
    ToolRunner m_runner;
    FreshBitmapCopy m_copies;
    bool m_spans;
};
