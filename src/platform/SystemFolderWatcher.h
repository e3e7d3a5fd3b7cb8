// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FolderWatcher.h"

#include <QFileSystemWatcher>
#include <QSet>

/**
 * Folders watched through the system's own reports, as Qt gives them: inotify on Linux,
 * ReadDirectoryChangesW on Windows. A folder the system cannot watch (the watch limit reached) is given
 * back; a network share is not watched at all, as changes made on another machine are never reported.
 */
class SystemFolderWatcher : public FolderWatcher
{
    Q_OBJECT

public:
    explicit SystemFolderWatcher(QObject* parent = nullptr);

    bool canWatch(const QString& folder) const override;
    QStringList watchOnly(const QStringList& folders) override;

private:
    QFileSystemWatcher m_watcher;
    QSet<QString> m_watched;
};
