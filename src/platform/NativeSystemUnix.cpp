// SPDX-License-Identifier: GPL-3.0-or-later
#include "NativeSystem.h"

#include "AutostartEntry.h"
#include "PosixFileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString configHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

} // namespace

void NativeSystem::attachToTerminal()
{
    // Standard output and error are the terminal's already.
}

FileSystem& NativeSystem::fileSystem()
{
    return PosixFileSystem::instance();
}

QString NativeSystem::userFolder()
{
    return QDir(configHome()).filePath(QStringLiteral("tessaly"));
}

QString NativeSystem::shippedDataFolder()
{
    // share/tessaly beside the program's bin/ (a moved prefix, the build tree), else where it was installed.
    const QString beside = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath("../share/tessaly");
    if (QFileInfo::exists(beside + QStringLiteral("/tessdesk.ini")))
        return QDir::cleanPath(beside);
    return QStringLiteral(TESSALY_DATA_DIR);
}

Result<> NativeSystem::addLoginStart(const QString& executablePath)
{
    return AutostartEntry::writeIfMissing(fileSystem(), configHome(), executablePath);
}

bool NativeSystem::isLoginStartOn()
{
    return AutostartEntry::isOn(configHome());
}

Result<> NativeSystem::setLoginStart(bool on, const QString& executablePath)
{
    return on ? AutostartEntry::write(fileSystem(), configHome(), executablePath)
              : AutostartEntry::remove(configHome());
}
