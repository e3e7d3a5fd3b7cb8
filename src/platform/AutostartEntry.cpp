// SPDX-License-Identifier: GPL-3.0-or-later
#include "AutostartEntry.h"

#include "AtomicFileWriter.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

QString AutostartEntry::path(const QString& configHome)
{
    return QDir(configHome).filePath(QStringLiteral("autostart/tessaly.desktop"));
}

QString AutostartEntry::execArgument(const QString& executablePath)
{
    // Exec= has two layers: the argument is quoted when it holds a reserved character (with `"`, `` ` ``,
    // `$` and `\` escaped inside the quotes), then every `\` of the line is doubled as in any string value.
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString argument = executablePath;
    argument.replace(QLatin1Char('%'), QStringLiteral("%%"));
    const bool quote =
        std::any_of(argument.cbegin(), argument.cend(), [](QChar c) { return reserved.contains(c); });
    if (quote) {
        QString quoted;
        for (const QChar c : argument) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        argument = QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    return argument.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
}

bool AutostartEntry::writeIfMissing(FileSystem& files, const QString& configHome,
                                    const QString& executablePath, QString* error)
{
    const QString file = path(configHome);
    if (QFileInfo::exists(file) || QFileInfo(file).isSymLink())
        return true;
    const QByteArray bytes = QStringLiteral("[Desktop Entry]\n"
                                            "Type=Application\n"
                                            "Name=Tessaly\n"
                                            "Comment=Changes the desktop wallpaper from a list of pictures\n"
                                            "Exec=%1\n"
                                            "Icon=tessaly\n"
                                            "Terminal=false\n"
                                            "X-GNOME-Autostart-enabled=true\n")
                                 .arg(execArgument(executablePath))
                                 .toUtf8();
    // The writer makes the autostart folder when it is missing.
    AtomicFileWriter writer(files);
    if (writer.replace(file, bytes))
        return true;
    if (error)
        *error = writer.errorString();
    return false;
}
