// SPDX-License-Identifier: GPL-3.0-or-later
#include "ApplicationFolder.h"

#include "FileSystem.h"
#include "FolderPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

Result<QString> ApplicationFolder::resolve(FileSystem& files, const QString& executableDir,
                                           const QString& userFolder, const QString& dataDir)
{
    if (isPortable(files, executableDir))
        return FolderPath::withTrailingSeparator(executableDir);

    const QDir folder(userFolder);
    if (const Result<> made = files.makeFolders(folder.path()); !made)
        return made.failure().prefixed(QStringLiteral("cannot create the folder %1: ")
                                           .arg(QDir::toNativeSeparators(made.failure().path)));
    seed(folder, dataDir);
    return FolderPath::withTrailingSeparator(folder.path());
}

bool ApplicationFolder::isPortable(FileSystem& files, const QString& executableDir)
{
    const QFileInfo folder(executableDir);
    const QString settings = QDir(executableDir).filePath(QLatin1String(SettingsFileName));
    return QFileInfo::exists(settings) && folder.isDir() && folder.isWritable() &&
           files.checkWritable(settings).ok();
}
