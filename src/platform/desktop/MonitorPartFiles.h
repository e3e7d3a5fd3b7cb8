// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FreshBitmapCopy.h"
#include "ScreenInfo.h"

#include <QStringList>
#include <map>

/**
 * For a desktop that takes one bitmap per monitor: cuts the bitmap of the whole desktop (the monitors'
 * bounding box) into each monitor's part, and hands each part over under a name the desktop has never
 * been given (see FreshBitmapCopy).
 */
class MonitorPartFiles
{
public:
    /**
     * Each monitor's part of the spanned bitmap at `bitmapPath`, as a fresh file in `folder` (empty: the
     * bitmap's own), in the order of `monitors`; an empty list with `error` set when a part cannot be read or
     * written.
     */
    QStringList cut(const QString& bitmapPath, const QList<MonitorGeometry>& monitors, QString& error,
                    const QString& folder = {});
    /** After the desktop took the parts, removes the copies it may have shown before; after a failure, none.
     */
    void finish(bool applied);

private:
    /** The fresh copies of each monitor's part, by the part's file name. */
    std::map<QString, FreshBitmapCopy> m_copies;
};
