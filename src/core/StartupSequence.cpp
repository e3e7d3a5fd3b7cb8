// SPDX-License-Identifier: GPL-3.0-or-later
#include "StartupSequence.h"

#include "Clock.h"
#include "LoadedImages.h"
#include "SettingValue.h"
#include "SettingsFile.h"
#include "SettingsSaveReport.h"
#include "SettingsSchema.h"

namespace {

/**
 * True when the first-run record says the program never started. Then an empty list is seeded with
 * the two shipped pictures, a list already there is kept, and the record is cleared.
 */
bool seedFirstRun(SettingsFile& file, const QString& appFolder, Prompter& prompter)
{
    const QString section = QStringLiteral("tessaly");
    const QString key = QStringLiteral("firstRun");
    // A file without the record (one from before it existed) belongs to a program that has run before.
    if (!SettingValue::toFlag(file.read(section, key)).value_or(false))
        return false;
    // One save: the two pictures, the count and the record together, so a crash cannot seed twice. A
    // list already there (a file copied from another machine, or edited by hand) is the user's: kept.
    QList<IniEdit> edits;
    if (LoadedImages::storedCount(file.read(QStringLiteral("total"), QStringLiteral("total"))) == 0) {
        edits = {IniEdit::write(QStringLiteral("images"), QStringLiteral("0"),
                                appFolder + QStringLiteral("image1.gif")),
                 IniEdit::write(QStringLiteral("images"), QStringLiteral("1"),
                                appFolder + QStringLiteral("image2.gif")),
                 IniEdit::write(QStringLiteral("total"), QStringLiteral("total"), QStringLiteral("2"))};
    }
    edits.append(IniEdit::write(section, key, SettingValue::fromFlag(false)));
    SettingsSaveReport::check(file.apply(edits), file, prompter);
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
        SettingsSaveReport::check(SettingsSchema::write(file, settings, {&Settings::ChangeTime}), file,
                                  prompter);
    }
    return settings;
}
