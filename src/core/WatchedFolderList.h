// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Result.h"

#include <QSet>
#include <QString>
#include <QStringList>

class SettingsFile;
struct IniEdit;

/**
 * The folders whose pictures the list follows, and the pictures of them the user took out of the list,
 * as the settings file keeps them: each a section of numbered keys, as the list's own.
 */
class WatchedFolderList
{
public:
    QStringList folders;
    QSet<QString> leftOut;

    /** What the file holds; a missing section is none. */
    static WatchedFolderList load(SettingsFile& file);
    /** The edits that store both sections whole, for a save that writes more besides. */
    QList<IniEdit> edits() const;
    /** Stores both sections, as one save. */
    Result<> save(SettingsFile& file) const;
    /** The watched folder `folder` names (another spelling of the same folder too), or -1. */
    int indexOf(const QString& folder) const;
};
