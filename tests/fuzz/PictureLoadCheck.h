// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

/** The picture loader's properties, checked on one file as a change and a thumbnail would load it. */
class PictureLoadCheck
{
public:
    /**
     * Loads `path` stretched (in strips first, as the composer does, then the plain way) and clipped: each
     * load gives a picture within the memory budget or says why not. Returns what broke, or empty text;
     * `reasons` gets the reasons given.
     */
    static QString check(const QString& path, QStringList* reasons = nullptr);
};
