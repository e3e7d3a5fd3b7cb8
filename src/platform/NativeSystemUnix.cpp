// SPDX-License-Identifier: GPL-3.0-or-later
#include "NativeSystem.h"

#include "AutostartEntry.h"
#include "PosixFileSystem.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

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

Result<> NativeSystem::showInFileManager(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    const auto openFolder = [folder]() -> Result<> {
        if (QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
            return {};
        return Failure::because(QStringLiteral("Could not open the folder %1.").arg(folder));
    };
    const QString service = QStringLiteral("org.freedesktop.FileManager1");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(service).value())
        return openFolder();
    QDBusMessage call = QDBusMessage::createMethodCall(
        service, QStringLiteral("/org/freedesktop/FileManager1"), service, QStringLiteral("ShowItems"));
    // Percent-encoded, as file managers parse a URI: a space or a letter outside ASCII goes as %xx.
    call << QStringList{QString::fromUtf8(QUrl::fromLocalFile(path).toEncoded())} << QString();
    // Not waited for: a file manager slow to answer must not hold the program. One that refuses gets the
    // folder opened the plain way, and a failure then can only be logged: the caller has long returned.
    auto* answer = new QDBusPendingCallWatcher(bus.asyncCall(call), QCoreApplication::instance());
    QObject::connect(answer, &QDBusPendingCallWatcher::finished, answer,
                     [openFolder](QDBusPendingCallWatcher* w) {
                         w->deleteLater();
                         if (!w->isError())
                             return;
                         if (const Result<> opened = openFolder(); !opened)
                             qWarning("%s", qPrintable(opened.reason()));
                     });
    return {};
}
