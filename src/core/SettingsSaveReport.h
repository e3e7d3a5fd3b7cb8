// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class Prompter;
class SettingsFile;

/**
 * The one way a failed save of the settings file reaches the user: a message naming the file and the
 * reason. The value stays in memory, so the program goes on with it.
 */
class SettingsSaveReport
{
public:
    /** The message for a save that failed for the reason given (which names the file). */
    static QString failureText(const QString& reason);
    /** The message for list entries that could not be stored while the others were. */
    static QString leftOutText(const QString& settingsPath, const QStringList& paths);
    /** A name with its line breaks made visible, for a message. */
    static QString visible(const QString& name);

    /** Tells the user when saved is false, with the file's reason; returns saved. */
    static bool check(bool saved, const SettingsFile& file, Prompter& prompter);
    /** Tells the user which entries were not stored, when there are any. */
    static void checkLeftOut(const QStringList& paths, const SettingsFile& file, Prompter& prompter);
};
