// SPDX-License-Identifier: GPL-3.0-or-later
#include "StartupSequence.h"

#include "core/LoadedImages.h"
#include "core/SettingValue.h"
#include "core/SettingsFile.h"
#include "core/SettingsSchema.h"
#include "platform/Clock.h"

Settings StartupSequence::run(SettingsFile& file, const QString& appFolder, LoadedImages& images,
                              const Clock& clock)
{
    seedFirstRun(file, appFolder);
    Settings settings = SettingsSchema::readAll(file);
    images.LoadFromSettings(file);
    if (settings.ChangeTime.isEmpty()) {
        settings.ChangeTime = SettingValue::fromDateTime(clock.now());
        SettingsSchema::write(file, settings, &Settings::ChangeTime);
    }
    return settings;
}

bool StartupSequence::seedFirstRun(SettingsFile& file, const QString& appFolder)
{
    const QString section = QLatin1String(FirstRunSection);
    const QString key = QLatin1String(FirstRunKey);
    // A file without the record (one from before it existed) belongs to a program that has run before.
    if (!SettingValue::toFlag(file.read(section, key)).value_or(false))
        return false;
    // One save: the two pictures, the count and the record together, so a crash cannot seed twice.
    file.apply({
        IniEdit::write(QStringLiteral("images"), QStringLiteral("0"),
                       appFolder + QStringLiteral("image1.gif")),
        IniEdit::write(QStringLiteral("images"), QStringLiteral("1"),
                       appFolder + QStringLiteral("image2.gif")),
        IniEdit::write(QStringLiteral("total"), QStringLiteral("total"), QStringLiteral("2")),
        IniEdit::write(section, key, SettingValue::fromFlag(false)),
    });
    return true;
}
