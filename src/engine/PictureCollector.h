// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PathRefusal.h"

#include <QList>
#include <QString>
#include <QStringList>

class FileSystem;
struct Failure;

/**
 * Turns files and folders named by the user (a folder load, a drop, the command line) into the pictures
 * the list should take: a folder gives its pictures, with those of its subfolders when asked, sorted by
 * path; a file is taken as it is named. Whatever cannot be taken is named with its reason, never dropped
 * unsaid: a folder that cannot be opened, a name the settings file cannot hold, a pipe named like a
 * picture. Only regular files are taken: opening a pipe as a picture would block for ever.
 */
class PictureCollector
{
public:
    using Refusal = PathRefusal;
    struct Collected
    {
        /** Named files first as named, each folder's pictures sorted by path; their content not yet read. */
        QStringList pictures;
        QList<Refusal> refused;
        /** Folders named that held no picture and nothing that could not be read. */
        QStringList emptyFolders;
    };

    /** Collects every picture named: whether the list has room for them is the list's to say. */
    static Collected collect(FileSystem& files, const QStringList& paths, bool subfolders);
    /**
     * Why `file` holds no picture the list can take, or empty when it holds one. Only its first bytes are
     * read, as much as the image reader needs to know the format: nothing is decoded.
     */
    static QString contentProblem(FileSystem& files, const QString& file);

private:
    struct Walk;
    /** Why a name that stat() refused with `failure` is not taken. */
    static QString lookProblem(const QString& path, const Failure& failure);
    /** Adds a folder's pictures and refusals, and its subfolders' when asked, to `walk`. */
    static void gather(Walk& walk, const QString& folder);
};
