// SPDX-License-Identifier: GPL-3.0-or-later
#include "ControlSocketFolder.h"

#include "FileSystem.h"
#include "NativeSystem.h"

#include <QDir>

QString ControlSocketFolder::resolve(const QString&, const QString& tempDir, Use use, QString* error)
{
    // The socket is a named pipe, which only its owner may open; the folder holds the lock file alone.
    // Windows gives each user a temporary folder of their own.
    const QString folder = QDir(tempDir).filePath(QStringLiteral("tessaly"));
    if (use == Use::Create) {
        if (const Result<> made = NativeSystem::fileSystem().makeFolders(folder); !made) {
            if (error)
                *error = QStringLiteral("cannot create the folder %1: %2")
                             .arg(QDir::toNativeSeparators(made.failure().path), made.reason());
            return {};
        }
    }
    return folder;
}

QString ControlSocketFolder::problem(const QString&)
{
    return {};
}
