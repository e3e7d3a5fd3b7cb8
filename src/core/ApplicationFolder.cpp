// SPDX-License-Identifier: GPL-3.0-or-later
#include "ApplicationFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace {

/** The files a new application folder starts with. */
const char* const kShippedFiles[] = {"tessdesk.ini", "badimage.bmp", "image1.gif", "image2.gif"};

/** Copies the shipped files that the folder lacks; a file the user already has is never replaced. */
void seed(const QDir& folder, const QString& dataDir)
{
    for (const char* name : kShippedFiles) {
        const QString target = folder.filePath(QLatin1String(name));
        const QString source = QDir(dataDir).filePath(QLatin1String(name));
        if (QFileInfo::exists(target) || !QFileInfo::exists(source))
            continue;
        if (QFile::copy(source, target))
            QFile::setPermissions(target,
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
}

} // namespace

QString ApplicationFolder::resolve(const QString& executableDir, const QString& userFolder,
                                   const QString& dataDir, QString* error)
{
    if (isPortable(executableDir))
        return withTrailingSeparator(executableDir);

    const QDir folder(userFolder);
    // std::filesystem, unlike QDir::mkpath(), says why it failed, and the user is told the reason. The
    // path goes in as UTF-16, which a Windows path cannot always be turned into an 8-bit one from.
    std::error_code failure;
    std::filesystem::create_directories(std::filesystem::path(folder.path().toStdU16String()), failure);
    if (failure || !QFileInfo(folder.path()).isDir()) {
        if (error)
            *error = QStringLiteral("cannot create the folder %1: %2")
                         .arg(QDir::toNativeSeparators(folder.path()),
                              failure ? QString::fromLocal8Bit(failure.message())
                                      : QStringLiteral("a file of that name is in the way"));
        return {};
    }
    seed(folder, dataDir);
    return withTrailingSeparator(folder.path());
}

bool ApplicationFolder::isPortable(const QString& executableDir)
{
    const QFileInfo folder(executableDir);
    return QFileInfo::exists(QDir(executableDir).filePath(QLatin1String(SettingsFileName))) &&
           folder.isDir() && folder.isWritable();
}

QString ApplicationFolder::withTrailingSeparator(const QString& folder)
{
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return folder;
    return folder + QLatin1Char('/');
}
