// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

/**
 * Turns files and folders named by the user (a folder load, a drop, the command line) into the pictures
 * the list should take: a folder gives its pictures, with those of its subfolders when asked, sorted by
 * path; a file is taken when it is a picture. Only regular files are taken: opening a pipe as a picture
 * would block for ever.
 */
class PictureCollector
{
public:
    struct Refusal
    {
        QString path;
        QString reason;
    };
    struct Collected
    {
        QStringList pictures;
        QList<Refusal> refused;
        /** Folders named that held no picture. */
        QStringList emptyFolders;
    };

    /** Collects at most `limit` pictures: a list that cannot take more need not read a whole disk. */
    static Collected collect(const QStringList& paths, bool subfolders, int limit);
    /** The pictures of one folder, sorted by path, with its subfolders' when asked; at most `limit`. */
    static QStringList folderPictures(const QString& folder, bool subfolders, int limit);
    /** Why `file` is not a picture the list can take, or empty when it is one. */
    static QString fileProblem(const QString& file);
};
