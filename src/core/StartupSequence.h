// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Settings.h"

class Clock;
class LoadedImages;
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

    /** Runs the steps; `appFolder` ends in a separator. Returns the settings record. */
    static Settings run(SettingsFile& file, const QString& appFolder, LoadedImages& images,
                        const Clock& clock);

    /** True when the first-run record says the program never started; seeds the list then. */
    static bool seedFirstRun(SettingsFile& file, const QString& appFolder);
};
