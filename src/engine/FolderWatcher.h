// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

/**
 * Tells when the entries of a folder change (a file made, removed or renamed), as the system reports
 * it, so that a watched folder need not be looked at over and over.
 */
class FolderWatcher : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    /** Whether the system reports changes to the folder at all: a network share's are not seen here. */
    virtual bool canWatch(const QString& folder) const = 0;
    /**
     * Watches these folders and no others from now on, perhaps after returning: thousands take the
     * system a while. Those that cannot be watched are told by cannotWatch().
     */
    virtual void watchOnly(const QStringList& folders) = 0;

signals:
    /** Something in `folder`, or the folder itself, changed. */
    void folderChanged(const QString& folder);
    /** Of the folders last given, those the system would not watch (its limit reached), all of them. */
    void cannotWatch(const QStringList& folders);
};
