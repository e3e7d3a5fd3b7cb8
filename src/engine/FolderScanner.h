// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FolderScan.h"
#include "Result.h"

#include <QSet>

class FileSystem;

/**
 * One look at a watched folder: every picture file in it and its subfolders, with its identity, size
 * and time of writing, as PictureCollector would take them; safe to run on a thread of its own.
 */
class FolderScanner
{
public:
    /** `files` must be safe to use from the thread that calls scan(). */
    explicit FolderScanner(FileSystem& files);

    /** Fails NotFound when the folder is not there (a drive unplugged), NotFolder when it is a file. */
    Result<FolderScan> scan(const QString& folder) const;

private:
    FileSystem& m_files;
    QSet<QString> m_suffixes;
};
