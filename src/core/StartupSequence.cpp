// SPDX-License-Identifier: GPL-3.0-or-later
#include "StartupSequence.h"

#include "CheckedSettings.h"
#include "Clock.h"
#include "LoadedImages.h"
#include "SettingValue.h"
#include "SettingsFile.h"
#include "SettingsSaveReport.h"
#include "SettingsSchema.h"

#include <QStringList>

namespace {

/**
 * True when the first-run record says the program never started. Then an empty list is seeded with
 * the two shipped pictures, a list already there is kept, and the record is cleared.
 */
bool seedFirstRun(SettingsFile& file, const QString& appFolder, Prompter& prompter)
{
    Settings stored;
    stored.firstRun = SettingsSchema::read(file, &Settings::firstRun);
    if (!CheckedSettings(stored).flag(&Settings::firstRun))
        return false;
    // One save: the two pictures, the count and the record together, so a crash cannot seed twice. A
    // list already there (a file copied from another machine, or edited by hand) is the user's: kept.
    QList<IniEdit> edits;
    if (LoadedImages::storedCount(SettingsSchema::read(file, &Settings::total)) == 0) {
        const QString paths = SettingsSchema::section(SettingsSchema::ListSection::Paths);
        const QStringList samples{QStringLiteral("image1.gif"), QStringLiteral("image2.gif")};
        for (qsizetype i = 0; i < samples.size(); ++i)
            edits.append(IniEdit::write(paths, QString::number(i), appFolder + samples.at(i)));
        edits.append(SettingsSchema::edit(&Settings::total, QString::number(samples.size())));
    }
    edits.append(SettingsSchema::edit(&Settings::firstRun, SettingValue::fromFlag(false)));
    SettingsSaveReport::check(file.apply(edits), prompter);
    return true;
}

} // namespace

Settings StartupSequence::run(SettingsFile& file, const QString& appFolder, LoadedImages& images,
                              const Clock& clock, Prompter& prompter, bool* firstRun)
{
    const bool first = seedFirstRun(file, appFolder, prompter);
    if (firstRun)
        *firstRun = first;
    Settings settings = SettingsSchema::readAll(file);
    images.loadFromSettings(file);
    if (settings.ChangeTime.isEmpty()) {
        settings.ChangeTime = SettingValue::fromDateTime(clock.now());
        SettingsSaveReport::check(SettingsSchema::write(file, settings, {&Settings::ChangeTime}), prompter);
    }
    return settings;
}
