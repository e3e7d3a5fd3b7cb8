// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Result.h"

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
    /** A name with its line breaks made visible, for a message. */
    static QString visible(const QString& name);

    /** Tells the user when the save failed, with its file and reason; returns whether it was saved. */
    static bool check(const Result<>& saved, Prompter& prompter);
    /** Tells the user which entries were not stored, when there are any. */
    static void checkLeftOut(const QStringList& paths, const SettingsFile& file, Prompter& prompter);
};
