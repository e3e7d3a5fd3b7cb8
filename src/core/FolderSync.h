// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FolderScan.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

/**
 * Keeps the pictures of a watched folder in the list: from what was known of the folder and a new look
 * at it, the list's edits. New pictures join after the folder's last picture in the list, deleted ones
 * leave it, moved ones keep their place and caption; a picture the user took out of the list stays out,
 * and one still being written waits until it is complete. A folder that cannot be looked at (a drive
 * unplugged) changes nothing.
 */
class FolderSync
{
public:
    /** A file written this recently may still be being written. */
    static constexpr qint64 SettleMs = 2000;

    /** What is remembered of one file: enough to tell it changed, or moved under another name. */
    struct Stamp
    {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modifiedMs = 0;

        bool operator==(const Stamp&) const = default;
    };

    /**
     * What is remembered of one folder from the last look, by a 64-bit hash of each path: a tree of
     * 50,000 pictures is remembered in a few megabytes rather than in every path's text again.
     */
    struct Known
    {
        QHash<quint64, Stamp> seen;
        /** Those that were in the list or left out after the last look. */
        QSet<quint64> taken;

        static quint64 key(const QString& path);
        /** Remembers a file seen, and whether it was taken. */
        void see(const FolderScan::File& file, bool isTaken);
    };

    /** The list's edits from one look; positions are those of the list the look was made against. */
    struct Edits
    {
        /** Paths of the list that name a moved file, with the new path. */
        QHash<QString, QString> renamed;
        QSet<QString> removed;
        /** In path order, to go in after position insertAfter (-1: at the end). */
        QStringList added;
        int insertAfter = -1;
        /** Files seen that may still be being written: another look is due once they settle. */
        bool unsettled = false;

        bool isEmpty() const { return renamed.isEmpty() && removed.isEmpty() && added.isEmpty(); }
    };

    /** The list after edits: paths, captions, and where each old position went (-1: removed). */
    struct Applied
    {
        QStringList paths;
        QStringList captions;
        QList<int> newPositionOf;
    };

    /**
     * The edits that bring `list` in line with `scan` of `folder` (none when the folder could not be
     * looked at). `known` becomes what is known after them; `leftOut` gains the pictures of the folder the
     * user took out of the list since the last look, and loses those deleted. `room` is how many more the
     * list can take; `nowMs` the time of the look.
     */
    static Edits sync(const QStringList& list, const QString& folder, Known& known,
                      const std::optional<FolderScan>& scan, QSet<QString>& leftOut, int room, qint64 nowMs);
    /** Applies edits to a list and its captions. */
    static Applied apply(const Edits& edits, const QStringList& paths, const QStringList& captions);
    /**
     * Where the entry at `position` went: a removed one gives the place before it (-1 for none), so that
     * the next in list order is the one that followed it.
     */
    static int positionAfter(const QList<int>& newPositionOf, int position);
    /** Whether `path` lies in `folder` or below it. */
    static bool isInside(const QString& path, const QString& folder);
    /** Path order as a file manager shows it: case-insensitive first. */
    static bool pathBefore(const QString& a, const QString& b);
};
