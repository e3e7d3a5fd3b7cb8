// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

/**
 * Runs a desktop's command-line tool the one safe way: an argument list (never a shell), no input, a
 * deadline, and the exit code checked. Failures come back as a sentence naming the desktop and the tool.
 */
class ToolRunner
{
public:
    struct Outcome
    {
        bool ok = false;
        /** What the tool printed on standard output. */
        QString output;
        /** Why it failed: "<desktop>: <tool> <what went wrong>: <its error text>". Empty on success. */
        QString reason;
    };

    /** Whether anything on standard error counts as a failure even when the exit code is 0. */
    enum class ErrorOutput { Fails, Ignored };

    explicit ToolRunner(QString desktop, int deadlineMs = 5000);

    /** Runs `program` (looked up on PATH) with `arguments` and waits for it, at most the deadline. */
    Outcome run(const QString& program, const QStringList& arguments,
                ErrorOutput errorOutput = ErrorOutput::Fails) const;

    const QString& desktop() const { return m_desktop; }

private:
    QString m_desktop;
    int m_deadlineMs;
};
