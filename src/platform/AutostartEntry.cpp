// SPDX-License-Identifier: GPL-3.0-or-later
#include "AutostartEntry.h"

#include "AtomicFileWriter.h"

#include <QDir>
#include <QFile>
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

Result<> AutostartEntry::writeIfMissing(FileSystem& files, const QString& configHome,
                                        const QString& executablePath)
{
    const QString file = path(configHome);
    if (QFileInfo::exists(file) || QFileInfo(file).isSymLink())
        return {};
    return write(files, configHome, executablePath);
}

bool AutostartEntry::isOn(const QString& configHome)
{
    QFile file(path(configHome));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // The desktops' own switch for an entry that is kept but not run.
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed == "Hidden=true" || trimmed == "X-GNOME-Autostart-enabled=false")
            return false;
    }
    return true;
}

Result<> AutostartEntry::remove(const QString& configHome)
{
    QFile file(path(configHome));
    if (!file.exists() && !QFileInfo(file.fileName()).isSymLink())
        return {};
    if (file.remove())
        return {};
    return Failure::because(QStringLiteral("%1: %2").arg(file.fileName(), file.errorString()));
}

Result<> AutostartEntry::write(FileSystem& files, const QString& configHome, const QString& executablePath)
{
    const QString file = path(configHome);
    // TryExec is a plain string value: only its backslashes are escaped.
    QString tryExec = executablePath;
    tryExec.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    const QByteArray bytes = QStringLiteral("[Desktop Entry]\n"
                                            "Type=Application\n"
                                            "Name=Tessaly\n"
                                            "Comment=Changes the desktop wallpaper from a list of pictures\n"
                                            "TryExec=%1\n"
                                            "Exec=%2\n"
                                            "Icon=tessaly\n"
                                            "Terminal=false\n"
                                            "X-GNOME-Autostart-enabled=true\n")
                                 .arg(tryExec, execArgument(executablePath))
                                 .toUtf8();
    // The writer makes the autostart folder when it is missing.
    AtomicFileWriter writer(files);
    return writer.replace(file, bytes);
}
