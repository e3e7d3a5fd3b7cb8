// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

/** What one look at a watched folder found: its pictures, those of its subfolders, and the folders. */
struct FolderScan
{
    /** One picture file as seen: the same identity under a new name is the same file moved. */
    struct File
    {
        QString path;
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        /** Last written, in milliseconds since 1970 (UTC). */
        qint64 modifiedMs = 0;
    };

    QList<File> files;
    /** The folder itself and every subfolder walked, each to be watched. */
    QStringList folders;
};
