// SPDX-License-Identifier: GPL-3.0-or-later
#include "SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

SingleInstance::SingleInstance(const QString& lockPath) : m_lock(lockPath)
{
    // A lock left by a copy that crashed names a dead process; QLockFile takes it over.
    m_lock.setStaleLockTime(0);
    m_isFirst = m_lock.tryLock(0);
}

QString SingleInstance::defaultLockPath()
{
    // The runtime folder is per user, so copies run by other users do not see each other.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("tessaly.lock"));
}
