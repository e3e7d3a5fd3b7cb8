// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FolderWatcher.h"

#include <QSet>
#include <QThread>

class QFileSystemWatcher;

/**
 * Folders watched through the system's own reports, as Qt gives them: inotify on Linux,
 * ReadDirectoryChangesW on Windows. Thousands of folders take the system a moment to watch, so the
 * watching lives on a thread of its own; it sleeps until the system reports. A network share is not
 * watched at all, as changes made on another machine are never reported.
 */
class SystemFolderWatcher : public FolderWatcher
{
    Q_OBJECT

public:
    explicit SystemFolderWatcher(QObject* parent = nullptr);
    ~SystemFolderWatcher() override;

    bool canWatch(const QString& folder) const override;
    void watchOnly(const QStringList& folders) override;

private:
    /** On the watching thread. */
    void apply(const QStringList& folders);

    QThread m_thread;
    QFileSystemWatcher* m_watcher;
    /** Used on the watching thread only. */
    QSet<QString> m_watched;
};
