// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FreshBitmapCopy.h"
#include "ScreenInfo.h"

#include <QList>
#include <QString>
#include <map>

/**
 * For a desktop that takes one bitmap per monitor: cuts the bitmap of the whole desktop into each
 * monitor's own part, each under a name the desktop has never been given (see FreshBitmapCopy).
 */
class MonitorParts
{
public:
    /**
     * Writes each monitor's part of the spanned bitmap at `bitmapPath` and hands it a fresh name in
     * `folder` (empty: the bitmap's own). Returns each monitor's file by its name, or an empty map with
     * `error` set when a part cannot be read or written.
     */
    std::map<QString, QString> cut(const QString& bitmapPath, const QList<MonitorGeometry>& monitors,
                                   QString& error, const QString& folder = {});
    /** After the desktop took the parts, removes the ones it showed before; after a failure, none. */
    void finish(bool applied);

private:
    /** The fresh copies of each monitor's part, by the name its files carry. */
    std::map<QString, FreshBitmapCopy> m_copies;
};
