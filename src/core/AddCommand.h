// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PathRefusal.h"

#include <QList>
#include <QString>
#include <QStringList>

/**
 * The "add" command's words on the control channel. Paths may hold any character but a line break
 * ends the command, so each is percent-encoded; a long list goes as several commands, each within the
 * channel's line length, and their replies are summed.
 */
class AddCommand
{
public:
    using Refusal = PathRefusal;
    struct Outcome
    {
        int added = 0;
        int already = 0;
        QList<Refusal> refused;
        /** What the running copy said went wrong as a whole (a failed save), or empty. */
        QString error;
    };

    /** The commands that take paths: pictures added, folders watched and no longer watched. */
    static QString add() { return QStringLiteral("add"); }
    static QString watch() { return QStringLiteral("watch"); }
    static QString unwatch() { return QStringLiteral("unwatch"); }

    /**
     * The `name` commands that carry `paths`, each at most `maxBytes` long; a path too long alone is
     * refused.
     */
    static QStringList commands(const QStringList& paths, int maxBytes, QList<Refusal>* tooLong,
                                const QString& name = add());
    /** Whether `command` is a `name` command, and its paths. */
    static bool parse(const QString& command, QStringList* paths, const QString& name = add());
    /** The reply body after "ok": the counts, then one line per refused path. */
    static QString replyBody(const Outcome& outcome);
    /** Adds one reply ("ok\n…" or "error: …") to `total`. */
    static void addReply(const QString& reply, Outcome& total);
    /** The line printed for the user: "added N, already in the list M". */
    static QString summary(const Outcome& outcome);
};
