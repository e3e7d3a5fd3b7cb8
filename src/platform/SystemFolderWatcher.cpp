// SPDX-License-Identifier: GPL-3.0-or-later
#include "SystemFolderWatcher.h"

#include <QStorageInfo>

SystemFolderWatcher::SystemFolderWatcher(QObject* parent) : FolderWatcher(parent)
{
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &FolderWatcher::folderChanged);
}

bool SystemFolderWatcher::canWatch(const QString& folder) const
{
    const QByteArray type = QStorageInfo(folder).fileSystemType().toLower();
    static const QByteArrayList network{"nfs",   "nfs4",       "cifs",           "smb3",        "smbfs",
                                        "9p",    "fuse.sshfs", "sshfs",          "fuse.rclone", "davfs",
                                        "afpfs", "ncpfs",      "fuse.gvfsd-fuse"};
    return !network.contains(type);
}

QStringList SystemFolderWatcher::watchOnly(const QStringList& folders)
{
    const QSet<QString> wanted(folders.cbegin(), folders.cend());
    const QSet<QString> unwanted = m_watched - wanted;
    if (!unwanted.isEmpty())
        m_watcher.removePaths(QStringList(unwanted.cbegin(), unwanted.cend()));
    const QSet<QString> fresh = wanted - m_watched;
    QStringList failed;
    if (!fresh.isEmpty())
        failed = m_watcher.addPaths(QStringList(fresh.cbegin(), fresh.cend()));
    m_watched = wanted;
    for (const QString& folder : std::as_const(failed))
        m_watched.remove(folder);
    return failed;
}
