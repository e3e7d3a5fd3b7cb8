// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FreshBitmapCopy.h"
#include "ScreenInfo.h"

#include <QStringList>

/**
 * For a desktop that takes one bitmap per monitor: cuts the bitmap of the whole desktop (the monitors'
 * bounding box) into each monitor's part, and hands each part over under a name the desktop has never
 * been given (see FreshBitmapCopy), each part written straight under it.
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
    /**
     * After the desktop took the parts, removes the copies it may have shown before, of parts and of whole
     * bitmaps alike; after a failure, none.
     */
    void finish(bool applied);

private:
    FreshBitmapCopy m_copies;
};
