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
    /**
     * Runs the steps; `appFolder` ends in a separator. Returns the settings record. A save that fails
     * is told through the prompter and the program goes on with the values in memory. firstRun, when
     * given, tells whether this was the program's first start.
     */
    static Settings run(SettingsFile& file, const QString& appFolder, LoadedImages& images,
                        const Clock& clock, Prompter& prompter, bool* firstRun = nullptr);
};
