// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Result.h"

#include <QString>

class FileSystem;

/**
 * The user's start-at-login entry, `<config home>/autostart/tessaly.desktop`. Written at the first
 * start without replacing an existing file, so a user who removes or edits it keeps their choice; after
 * that only the settings window's check box writes or removes it. Its TryExec= makes the desktop pass
 * over it once the program is removed.
 */
class AutostartEntry
{
public:
    /** The entry's path under the given config home ($XDG_CONFIG_HOME). */
    static QString path(const QString& configHome);
    /**
     * Writes the entry unless a file of that name exists, whole or not at all; the failure names the file
     * and the reason.
     */
    static Result<> writeIfMissing(FileSystem& files, const QString& configHome,
                                   const QString& executablePath);
    /** Writes the entry, replacing the file there was, whole or not at all. */
    static Result<> write(FileSystem& files, const QString& configHome, const QString& executablePath);
    /** Removes the entry; fine when there is none afterwards. */
    static Result<> remove(const QString& configHome);
    /** Whether an entry is there and not turned off by the desktop's own key. */
    static bool isOn(const QString& configHome);
    /** The program path as one argument of an Exec= line, quoted and escaped where needed. */
    static QString execArgument(const QString& executablePath);
};
