// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

/** The kinds of failure a caller may act on; all others are Other, told by their words alone. */
enum class FailureKind {
    /** The file or folder is not there. */
    NotFound,
    /** Something is already there under that name. */
    Exists,
    /** A part of the path is not a folder. */
    NotFolder,
    /** The user may not read, write or make it. */
    Denied,
    Other
};

/** Why a step failed: its kind, and the reason in words a person can act on (which file, what failed). */
struct Failure
{
    FailureKind kind = FailureKind::Other;
    QString reason;
    /** The file or folder it is about, when the step that failed found it out (a parent that could not be
     * made). */
    QString path = {};

    /** A failure told by its words alone. */
    static Failure because(const QString& reason) { return {FailureKind::Other, reason, {}}; }
    /** The same kind with words put before the reason: "Could not save x: " + "permission denied". */
    Failure prefixed(const QString& context) const { return {kind, context + reason, path}; }
};
