// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Result.h"
#include "ScreenInfo.h"

#include <QList>
#include <QString>
#include <QStringList>

class FileSystem;

/**
 * Many desktops keep showing what they loaded from a path: a new bitmap saved under the same name never
 * shows, and GNOME Shell caches by path for longer than one change, so two names in turn are not enough
 * either. This names what such a desktop is handed so that it has never been given the name:
 * "<name>-<n>.<ext>" for the whole bitmap, "<name>-<part>-<n>.<ext>" for one monitor's part of it, with n
 * one above any copy on disk, whatever monitors it was made for. Once the desktop has taken this change's
 * files, every older one goes, so a desktop that went from one monitor to two keeps no copy of the one.
 */
class FreshBitmapCopy
{
public:
    explicit FreshBitmapCopy(FileSystem& files);

    /**
     * Starts a change whose files for the bitmap at `bitmapPath` go to `folder` (empty: the bitmap's own
     * folder): notes the copies already there, as any of them may be on screen, and picks this change's
     * number. Fails when the folder cannot be read.
     */
    Result<> begin(const QString& bitmapPath, const QString& folder = {});
    /** This change's absolute path for the whole bitmap. */
    QString path() const;
    /** This change's absolute path for each monitor's part, in their order. */
    QStringList partPaths(const QList<MonitorGeometry>& monitors) const;
    /**
     * Puts the content of the bitmap under this change's name: a second link to it, which costs neither
     * time nor disk space, or a copy where the file system has no links. Its absolute path.
     */
    Result<QString> link();
    /** After the desktop took this change's files, removes those it may have shown before; after a failure,
     * none. */
    void finish(bool applied);

private:
    QString named(const QString& part) const;

    FileSystem& m_files;
    bool m_begun = false;
    QString m_bitmapPath;
    QString m_folder;
    QString m_baseName;
    QString m_suffix;
    qulonglong m_number = 1;
    QStringList m_previous;
};
