// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class FileSystem;

/**
 * The user's start-at-login entry, `<config home>/autostart/tessaly.desktop`. Written at the first
 * start only and never over an existing file, so a user who removes or edits it keeps their choice.
 */
class AutostartEntry
{
public:
    /** The entry's path under the given config home ($XDG_CONFIG_HOME). */
    static QString path(const QString& configHome);
    /**
     * Writes the entry unless a file of that name exists, whole or not at all; false with `error` set
     * (the file and the reason) when it could not be written.
     */
    [[nodiscard]] static bool writeIfMissing(FileSystem& files, const QString& configHome,
                                             const QString& executablePath, QString* error);
    /** The program path as one argument of an Exec= line, quoted and escaped where needed. */
    static QString execArgument(const QString& executablePath);
};
