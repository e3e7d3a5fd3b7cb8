// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderPath.h"

QString FolderPath::withTrailingSeparator(const QString& folder)
{
    // Qt gives every path with "/", on Windows too; a "\" may be part of a name on Linux.
    if (folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}
