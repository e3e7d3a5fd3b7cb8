// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QStringList>

/**
 * Many desktops keep showing what they loaded from a path: a new bitmap saved under the same name never
 * shows, and GNOME Shell caches by path for longer than one change, so two names in turn are not enough
 * either. This hands such a desktop the bitmap under a name it has never been given: "<name>-<n>.<ext>"
 * for the whole bitmap, "<name>-<part>-<n>.<ext>" for one monitor's part of it, with n one above any copy
 * on disk, whatever monitors it was made for. Once the desktop has taken this change's copies, every
 * older one goes, so a desktop that went from one monitor to two keeps no copy of the one.
 */
class FreshBitmapCopy
{
public:
    /**
     * Starts a change that puts its copies of `bitmapPath` in `folder` (empty: the bitmap's own folder):
     * notes the copies already there, as any of them may be on screen, and picks this change's number.
     */
    void begin(const QString& bitmapPath, const QString& folder = {});
    /**
     * This change's absolute path for the copy of the whole bitmap, or with `part` (letters, digits and
     * '_', never digits alone) for that part of it.
     */
    QString path(const QString& part = {}) const;
    /**
     * Begins a change and puts the content of `bitmapPath` under this change's name in `folder` (empty:
     * the bitmap's own folder). Returns the copy's absolute path, or an empty string with `error` set.
     */
    QString prepare(const QString& bitmapPath, QString& error, const QString& folder = {});
    /** After the desktop took this change's copies, removes those it may have shown before; after a failure,
     * none. */
    void finish(bool applied);

private:
    bool m_begun = false;
    QDir m_target;
    QString m_baseName;
    QString m_suffix;
    qulonglong m_number = 1;
    QStringList m_previous;
};
