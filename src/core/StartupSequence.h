// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Settings.h"

class Clock;
class LoadedImages;
class Prompter;
class SettingsFile;

/**
 * The start-up steps that read the settings: first-run seeding, every setting read,
 * the picture list loaded and an empty "ChangeTime" completed.
 */
class StartupSequence
{
public:
    /** Section and key of the record that tells whether the program has ever started. */
    static constexpr const char* FirstRunSection = "tessaly";
    static constexpr const char* FirstRunKey = "firstRun";

    /**
     * Runs the steps; `appFolder` ends in a separator. Returns the settings record. A save that fails
     * is told through the prompter and the program goes on with the values in memory. firstRun, when
     * given, tells whether this was the program's first start.
     */
    static Settings run(SettingsFile& file, const QString& appFolder, LoadedImages& images,
                        const Clock& clock, Prompter& prompter, bool* firstRun = nullptr);

    /**
     * True when the first-run record says the program never started. Then an empty list is seeded with
     * the two shipped pictures, a list already there is kept, and the record is cleared.
     */
    static bool seedFirstRun(SettingsFile& file, const QString& appFolder, Prompter& prompter);
};
