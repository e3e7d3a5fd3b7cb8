// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandDesktopBackend.h"

#include <QProcess>
#include <utility>

// A user's script may do real work (fetch, convert, call several tools): it has 30 s.
CommandDesktopBackend::CommandDesktopBackend(QString command)
    : m_runner(QStringLiteral("desktop command"), 30000), m_command(std::move(command))
{}

Result<> CommandDesktopBackend::applyStyleThenFiles(const QStringList& files, WallpaperStyle style)
{
    QStringList arguments = QProcess::splitCommand(m_command);
    if (arguments.isEmpty()) {
        return Failure::because(
            QStringLiteral("desktop command: no program is set (settings file, section \"desktop\", "
                           "key \"command\")"));
    }
    const QString program = arguments.takeFirst();
    arguments << files.value(0) << styleWord(style);
    // The program is the user's: what it prints on standard error is its business, its exit code is not.
    const ToolRunner::Outcome outcome = m_runner.run(program, arguments, ToolRunner::ErrorOutput::Ignored);
    if (!outcome.ok)
        return Failure::because(outcome.reason);
    return {};
}
