// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Result.h"

#include <QString>

/**
 * The folder the control socket and its lock live in, one only this user can enter: whoever can put
 * a socket there first answers in Tessaly's place. The user's runtime folder when it is private, else
 * a folder of Tessaly's own in the temporary folder. The checks are POSIX ones; a Windows build names
 * a pipe instead and replaces this one file.
 */
class ControlSocketFolder
{
public:
    /** The running copy makes its folder; a command only looks for it and leaves no folder behind. */
    enum class Use { Create, Find };

    /**
     * `runtimeDir` when it is a private folder, else `<tempDir>/tessaly-<uid>`, made with mode 0700
     * for Use::Create. Fails, naming the folder and the reason, when Tessaly's own folder is there but
     * not private: it is never used then.
     */
    static Result<QString> resolve(const QString& runtimeDir, const QString& tempDir, Use use);

    /** Whether `path` is a private folder (not a link, owned by this user, mode 0700); the failure says
     * what it is instead ("is a symbolic link"). */
    static Result<> checkPrivate(const QString& path);
};
