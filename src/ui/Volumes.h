// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

/** The machine's mounted volumes, as a drive list shows them. */
class Volumes
{
public:
    struct Volume
    {
        /** The mount point, ending in "/". */
        QString root;
        /** What the list shows for it. */
        QString label;
    };

    virtual ~Volumes() = default;
    /** The volumes worth offering, "/" and the home folder's volume among them. */
    virtual QList<Volume> list() = 0;
    /** Whether the volume can be read now (a removed medium cannot). */
    virtual bool isReady(const QString& root) = 0;
};
