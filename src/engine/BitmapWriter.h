// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

class FileSystem;

/** Saves the wallpaper as a 24-bit Windows bitmap, replacing the old file in one step. */
class BitmapWriter
{
public:
    /**
     * Writes `image` to a temporary file beside `path` and renames it over `path`, so a desktop that
     * reads the file at any moment sees the old bitmap or the new one, never half of one. On failure
     * the old file stays, no temporary file is left, and `error` names the file and the reason.
     */
    [[nodiscard]] static bool write(const QImage& image, const QString& path, FileSystem& fs,
                                    QString* error = nullptr);
    /** Removes the temporary files a killed change left beside `path`; returns how many. */
    static int removeStaleTemporaries(FileSystem& fs, const QString& path);
};
