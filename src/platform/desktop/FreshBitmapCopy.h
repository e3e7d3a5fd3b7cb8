// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

/**
 * Many desktops keep showing what they loaded from a path: a new bitmap saved under the same name never
 * shows, and GNOME Shell caches by path for longer than one change, so two names in turn are not enough
 * either. This hands such a desktop the bitmap under a name it has never been given, "<name>-<n>.<ext>"
 * with n one above any copy on disk. Once the desktop has taken it, the older copies go.
 */
class FreshBitmapCopy
{
public:
    /**
     * Puts the content of `bitmapPath` under a fresh name in `folder` (empty: the bitmap's own folder),
     * keeping every older copy, as any of them may be on screen. Returns the copy's absolute
     * path, or an empty string with `error` set.
     */
    QString prepare(const QString& bitmapPath, QString& error, const QString& folder = {});
    /** After the desktop took the copy, removes those it may have shown before; after a failure, none. */
    void finish(bool applied);

private:
    QString m_fresh;
    QStringList m_previous;
};
