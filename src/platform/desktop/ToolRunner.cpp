// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolRunner.h"

#include <QProcess>
#include <utility>

ToolRunner::ToolRunner(QString desktop, int deadlineMs)
    : m_desktop(std::move(desktop)), m_deadlineMs(deadlineMs)
{}

ToolRunner::Outcome ToolRunner::run(const QString& program, const QStringList& arguments,
                                    ErrorOutput errorOutput) const
{
    const auto failure = [&](const QString& what, const QString& detail = {}) {
        return QStringLiteral("%1: %2 %3").arg(m_desktop, program, what) +
               (detail.isEmpty() ? QString() : QStringLiteral(": ") + detail);
    };
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(m_deadlineMs))
        return {false, {}, failure(QStringLiteral("could not be started (is it installed?)"))};
    if (!process.waitForFinished(m_deadlineMs)) {
        process.kill();
        process.waitForFinished(1000);
        return {false, {}, failure(QStringLiteral("did not finish within %1 s").arg(m_deadlineMs / 1000.0))};
    }
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    QString errors = QString::fromUtf8(process.readAllStandardError()).trimmed();
    if (errors.size() > 400) // the start of a long error text says enough in a message
        errors = errors.left(400) + QStringLiteral("…");
    if (process.exitStatus() != QProcess::NormalExit)
        return {false, output, failure(QStringLiteral("crashed"), errors)};
    if (process.exitCode() != 0) {
        return {false, output,
                failure(QStringLiteral("failed with exit code %1").arg(process.exitCode()), errors)};
    }
    if (errorOutput == ErrorOutput::Fails && !errors.isEmpty())
        return {false, output, failure(QStringLiteral("reported an error"), errors)};
    return {true, output, {}};
}
