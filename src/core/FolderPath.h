// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

/** Folder names as text. */
class FolderPath
{
public:
    /** The folder (in Qt's form, with "/") with one trailing separator, never two. */
    static QString withTrailingSeparator(const QString& folder);
};
