// SPDX-License-Identifier: GPL-3.0-or-later
#include "ControlSocketFolder.h"

#include "FileSystem.h"
#include "NativeSystem.h"

#include <QDir>

Result<QString> ControlSocketFolder::resolve(const QString&, const QString& tempDir, Use use)
{
    // The socket is a named pipe, which only its owner may open; the folder holds the lock file alone.
    // Windows gives each user a temporary folder of their own.
    const QString folder = QDir(tempDir).filePath(QStringLiteral("tessaly"));
    if (use == Use::Create) {
        if (const Result<> made = NativeSystem::fileSystem().makeFolders(folder); !made)
            return made.failure().prefixed(QStringLiteral("cannot create the folder %1: ")
                                               .arg(QDir::toNativeSeparators(made.failure().path)));
    }
    return folder;
}

Result<> ControlSocketFolder::checkPrivate(const QString&)
{
    return {};
}
