// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

/**
 * Many desktops do nothing when the wallpaper setting is written with the value it already holds, so a
 * new bitmap saved under the same name never shows. This hands such a desktop a copy of the bitmap under
 * a name it is not showing now: "<name>-a.<ext>" and "<name>-b.<ext>" in turn. Only the name the desktop
 * shows is kept between changes, so the turn survives a restart of the program.
 */
class AlternatingBitmapPath
{
public:
    /**
     * Copies `bitmapPath` to the alternate name not in use, in `folder` (empty: the bitmap's own folder).
     * Returns the copy's absolute path, or an empty string with `error` set.
     */
    QString prepare(const QString& bitmapPath, QString& error, const QString& folder = {});
    /** After the desktop took the copy, removes the name it showed before; after a failure, keeps both. */
    void finish(bool applied);

private:
    QString m_fresh;
    QString m_previous;
};
