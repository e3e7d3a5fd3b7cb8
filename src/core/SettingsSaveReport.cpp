// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsSaveReport.h"

#include "Prompter.h"
#include "SettingsFile.h"

QString SettingsSaveReport::visible(const QString& name)
{
    QString shown = name;
    shown.replace(QLatin1String("\r\n"), QStringLiteral("\u21B5"));
    shown.replace(QLatin1Char('\n'), QChar(0x21B5));
    shown.replace(QLatin1Char('\r'), QChar(0x21B5));
    return shown;
}

bool SettingsSaveReport::check(const Result<>& saved, Prompter& prompter)
{
    if (!saved) {
        prompter.tell(
            QStringLiteral("Tessaly could not save its settings.\n\n%1\n\nThe new settings stay in use "
                           "until Tessaly ends.")
                .arg(saved.reason()),
            PromptIcon::Exclamation);
    }
    return saved.ok();
}

void SettingsSaveReport::checkLeftOut(const QStringList& paths, const SettingsFile& file, Prompter& prompter)
{
    if (paths.isEmpty())
        return;
    QStringList shown;
    for (const QString& path : paths)
        shown.append(visible(path));
    prompter.tell(
        QStringLiteral("These pictures could not be saved in %1, because their name or caption holds "
                       "a line break:\n\n%2\n\nEvery other picture was saved.")
            .arg(file.path(), shown.join(QLatin1Char('\n'))),
        PromptIcon::Exclamation);
}
