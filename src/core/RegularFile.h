// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QFile;

/**
 * Opens a listed file for reading only when it is a regular file (a symbolic link to one is fine).
 * Opening a named pipe blocks until something writes to it, a device can be endless or act on being
 * opened, and a folder holds no picture; each of those is refused with its reason instead.
 */
class RegularFile
{
public:
    /** Opens `path` read-only into `file`; false with the reason in `reason` (when given) otherwise. */
    [[nodiscard]] static bool open(const QString& path, QFile& file, QString* reason = nullptr);
};
