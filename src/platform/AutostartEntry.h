// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

/**
 * The user's start-at-login entry, `<config home>/autostart/tessaly.desktop`. Written at the first
 * start only and never over an existing file, so a user who removes or edits it keeps their choice.
 */
class AutostartEntry
{
public:
    /** The entry's path under the given config home ($XDG_CONFIG_HOME). */
    static QString path(const QString& configHome);
    /** Writes the entry unless a file of that name exists; false when it could not be written. */
    static bool writeIfMissing(const QString& configHome, const QString& executablePath);
    /** The program path as one argument of an Exec= line, quoted and escaped where needed. */
    static QString execArgument(const QString& executablePath);
};
