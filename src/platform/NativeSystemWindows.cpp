// SPDX-License-Identifier: GPL-3.0-or-later
#include "NativeSystem.h"

#include "ApplicationFolder.h"
#include "WindowsFileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

#include <cstdio>

#include <windows.h>

// Qt's switch for asking NTFS who may write a file: without it, QFileInfo::isWritable() reads only the
// read-only flag, and a copy installed under Program Files would take itself for a portable one.
extern Q_CORE_EXPORT int qt_ntfs_permission_lookup;

namespace {

const QString RunKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
const QString RunValue = QStringLiteral("Tessaly");

} // namespace

void NativeSystem::attachToTerminal()
{
    // A program without a console window of its own starts with nowhere to print: the console of the
    // command prompt it was typed in is borrowed, for the streams not already sent to a file or a pipe.
    const auto unconnected = [](DWORD stream) {
        const HANDLE handle = GetStdHandle(stream);
        return handle == nullptr || handle == INVALID_HANDLE_VALUE ||
               GetFileType(handle) == FILE_TYPE_UNKNOWN;
    };
    const bool output = unconnected(STD_OUTPUT_HANDLE);
    const bool errors = unconnected(STD_ERROR_HANDLE);
    if ((!output && !errors) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (output)
        std::freopen("CONOUT$", "w", stdout);
    if (errors)
        std::freopen("CONOUT$", "w", stderr);
}

FileSystem& NativeSystem::fileSystem()
{
    return WindowsFileSystem::instance();
}

QString NativeSystem::userFolder()
{
    // Asked before the folder is chosen, and left on for every later look at a portable copy.
    static const bool askNtfs = (++qt_ntfs_permission_lookup, true);
    Q_UNUSED(askNtfs);
    // %APPDATA%\Tessaly: the roaming profile, named after the application.
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString NativeSystem::shippedDataFolder()
{
    // The installer keeps them in a folder of their own, so that the installed copy's folder, holding no
    // settings file, is never taken for a portable one; the zip keeps them beside tessaly.exe.
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QString installed = programFolder.filePath(QStringLiteral(TESSALY_WINDOWS_SHIPPED_DIR));
    if (QFileInfo::exists(QDir(installed).filePath(QLatin1String(ApplicationFolder::SettingsFileName))))
        return installed;
    return programFolder.path();
}

Result<> NativeSystem::addLoginStart(const QString& executablePath)
{
    QSettings run(RunKey, QSettings::NativeFormat);
    // A value the user changed is theirs; one they removed is not put back, as this runs at the first
    // start only.
    if (run.contains(RunValue))
        return {};
    run.setValue(RunValue, QLatin1Char('"') + QDir::toNativeSeparators(executablePath) + QLatin1Char('"'));
    run.sync();
    if (run.status() == QSettings::NoError)
        return {};
    return Failure::because(
        QStringLiteral("the registry value %1\\%2 could not be written").arg(RunKey, RunValue));
}

bool NativeSystem::isLoginStartOn()
{
    return QSettings(RunKey, QSettings::NativeFormat).contains(RunValue);
}

Result<> NativeSystem::setLoginStart(bool on, const QString& executablePath)
{
    QSettings run(RunKey, QSettings::NativeFormat);
    if (on)
        run.setValue(RunValue,
                     QLatin1Char('"') + QDir::toNativeSeparators(executablePath) + QLatin1Char('"'));
    else
        run.remove(RunValue);
    run.sync();
    if (run.status() == QSettings::NoError)
        return {};
    return Failure::because(
        QStringLiteral("the registry value %1\\%2 could not be %3")
            .arg(RunKey, RunValue, on ? QStringLiteral("written") : QStringLiteral("removed")));
}

Result<> NativeSystem::showInFileManager(const QString& path)
{
    // Explorer reads its own command line: "/select," and the quoted path must reach it as one argument,
    // which Qt's quoting of separate arguments would split.
    QProcess explorer;
    explorer.setProgram(QStringLiteral("explorer.exe"));
    explorer.setNativeArguments(QStringLiteral("/select,\"%1\"").arg(QDir::toNativeSeparators(path)));
    if (explorer.startDetached())
        return {};
    return Failure::because(QStringLiteral("Could not start Explorer for %1: %2")
                                .arg(QDir::toNativeSeparators(path), explorer.errorString()));
}
