// SPDX-License-Identifier: GPL-3.0-or-later
#include "PcmanfmDesktopBackend.h"

#include <utility>

std::unique_ptr<DesktopBackend> PcmanfmDesktopBackend::lxqt()
{
    return std::make_unique<PcmanfmDesktopBackend>(QStringLiteral("lxqt"), QStringLiteral("LXQt"),
                                                   QStringLiteral("pcmanfm-qt"), QStringLiteral("stretch"));
}

std::unique_ptr<DesktopBackend> PcmanfmDesktopBackend::lxde()
{
    return std::make_unique<PcmanfmDesktopBackend>(QStringLiteral("lxde"), QStringLiteral("LXDE"),
                                                   QStringLiteral("pcmanfm"), QStringLiteral("screen"));
}

PcmanfmDesktopBackend::PcmanfmDesktopBackend(QString name, const QString& desktop, QString program,
                                             QString spanMode)
    : m_name(std::move(name)), m_program(std::move(program)), m_runner(desktop),
      m_spanMode(std::move(spanMode))
{}

QString PcmanfmDesktopBackend::modeFor(WallpaperStyle style) const
{
    return style == WallpaperStyle::Span ? m_spanMode : styleWord(style).toLower();
}

Result<> PcmanfmDesktopBackend::applyStyleThenFiles(const QStringList& files, WallpaperStyle style)
{
    // The "=" forms keep a value from ever being read as an option of its own. Toolkit warnings on
    // standard error are common here and say nothing about the wallpaper, so only the exit code counts.
    const ToolRunner::Outcome set = m_runner.run(m_program,
                                                 {QStringLiteral("--wallpaper-mode=") + modeFor(style),
                                                  QStringLiteral("--set-wallpaper=") + files.value(0)},
                                                 ToolRunner::ErrorOutput::Ignored);
    if (!set.ok)
        return Failure::because(set.reason);
    return {};
}
