// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsSaveReport.h"

#include "Prompter.h"
#include "SettingsFile.h"

QString SettingsSaveReport::failureText(const QString& reason)
{
    return QStringLiteral("Tessaly could not save its settings.\n\n%1\n\nThe new settings stay in use until "
                          "Tessaly ends.")
        .arg(reason);
}

QString SettingsSaveReport::leftOutText(const QString& settingsPath, const QStringList& paths)
{
    QStringList shown;
    for (const QString& path : paths)
        shown.append(visible(path));
    return QStringLiteral("These pictures could not be saved in %1, because their name or caption holds a "
                          "line break:\n\n%2\n\nEvery other picture was saved.")
        .arg(settingsPath, shown.join(QLatin1Char('\n')));
}

QString SettingsSaveReport::visible(const QString& name)
{
    QString shown = name;
    shown.replace(QLatin1String("\r\n"), QStringLiteral("\u21B5"));
    shown.replace(QLatin1Char('\n'), QChar(0x21B5));
    shown.replace(QLatin1Char('\r'), QChar(0x21B5));
    return shown;
}

bool SettingsSaveReport::check(bool saved, const SettingsFile& file, Prompter& prompter)
{
    if (!saved)
        prompter.tell(failureText(file.errorString()), PromptIcon::Exclamation);
    return saved;
}

void SettingsSaveReport::checkLeftOut(const QStringList& paths, const SettingsFile& file, Prompter& prompter)
{
    if (!paths.isEmpty())
        prompter.tell(leftOutText(file.path(), paths), PromptIcon::Exclamation);
}
