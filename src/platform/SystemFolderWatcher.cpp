// SPDX-License-Identifier: GPL-3.0-or-later
#include "SystemFolderWatcher.h"

#include <QFileSystemWatcher>
#include <QStorageInfo>

SystemFolderWatcher::SystemFolderWatcher(QObject* parent)
    : FolderWatcher(parent), m_watcher(new QFileSystemWatcher)
{
    m_watcher->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_watcher, &QObject::deleteLater);
    // Told on this object's thread, the program's.
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &FolderWatcher::folderChanged);
    m_thread.setObjectName(QStringLiteral("folder watcher"));
    m_thread.start(QThread::LowPriority);
}

SystemFolderWatcher::~SystemFolderWatcher()
{
    m_thread.quit();
    m_thread.wait();
}

bool SystemFolderWatcher::canWatch(const QString& folder) const
{
    const QByteArray type = QStorageInfo(folder).fileSystemType().toLower();
    static const QByteArrayList network{"nfs",   "nfs4",       "cifs",           "smb3",        "smbfs",
                                        "9p",    "fuse.sshfs", "sshfs",          "fuse.rclone", "davfs",
                                        "afpfs", "ncpfs",      "fuse.gvfsd-fuse"};
    return !network.contains(type);
}

void SystemFolderWatcher::watchOnly(const QStringList& folders)
{
    QMetaObject::invokeMethod(
        m_watcher, [this, folders] { apply(folders); }, Qt::QueuedConnection);
}

void SystemFolderWatcher::apply(const QStringList& folders)
{
    const QSet<QString> wanted(folders.cbegin(), folders.cend());
    const QSet<QString> unwanted = m_watched - wanted;
    if (!unwanted.isEmpty())
        m_watcher->removePaths(QStringList(unwanted.cbegin(), unwanted.cend()));
    const QSet<QString> fresh = wanted - m_watched;
    m_watched = wanted;
    // Those refused before are asked again: the limit may have been raised, or others let go.
    const QStringList failed =
        fresh.isEmpty() ? QStringList() : m_watcher->addPaths(QStringList(fresh.cbegin(), fresh.cend()));
    for (const QString& folder : failed)
        m_watched.remove(folder);
    emit cannotWatch(failed);
}
