// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Result.h"

#include <QString>

class FileSystem;

/**
 * What the program as a whole does its own way on each operating system: its files, its folders, being
 * started at login. Each system has its own source file of this class and CMake builds the one for the
 * target, so main() holds no conditional code.
 */
class NativeSystem
{
public:
    /** Lets the text of a command-line action reach the terminal the program was started from. */
    static void attachToTerminal();
    /** The file operations of this system. */
    static FileSystem& fileSystem();
    /** The user's own application folder, used unless the copy is a portable one. */
    static QString userFolder();
    /** Where the shipped settings file and pictures are, to seed a new application folder from. */
    static QString shippedDataFolder();
    /**
     * Asks for the program to be started at login unless that was asked for already; the failure names
     * the place and the reason.
     */
    static Result<> addLoginStart(const QString& executablePath);
    /** Whether the program is started at login. */
    static bool isLoginStartOn();
    /**
     * Starts the program at login, replacing an entry there was, or stops starting it; the failure names
     * the place and the reason.
     */
    static Result<> setLoginStart(bool on, const QString& executablePath);
    /**
     * Opens the file manager on the folder of `path` with the file selected, else on the folder alone; the
     * failure names the folder when not even that could be opened.
     */
    static Result<> showInFileManager(const QString& path);
};
