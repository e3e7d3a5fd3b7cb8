// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Result.h"

#include <QString>

class FileSystem;

/**
 * Where the program keeps its settings file and pictures. A writable folder beside the executable
 * that holds "tessdesk.ini" makes a portable copy; otherwise the folder is the user's own one
 * ($XDG_CONFIG_HOME/tessaly, %APPDATA%\Tessaly), created and seeded from the shipped files the first time.
 */
class ApplicationFolder
{
public:
    static constexpr const char* SettingsFileName = "tessdesk.ini";

    /**
     * Picks the folder and seeds it when needed. Gives the folder with a trailing separator; the failure
     * names the folder that cannot be created.
     */
    static Result<QString> resolve(FileSystem& files, const QString& executableDir, const QString& userFolder,
                                   const QString& dataDir);

    /**
     * True when the program keeps everything beside itself: a writable folder holding a "tessdesk.ini" that
     * can be written. A copy on read-only media is not portable, though its folder's rights may say writable.
     */
    static bool isPortable(FileSystem& files, const QString& executableDir);
};
