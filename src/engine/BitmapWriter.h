// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AtomicFileWriter.h"
#include "Result.h"

#include <QImage>
#include <QString>
#include <vector>

class FileSystem;

/**
 * Saves the wallpaper as a 24-bit Windows bitmap, replacing the old file in one step: the bitmap goes to
 * a temporary file beside its path and is renamed over it, so a desktop that reads the file at any moment
 * sees the old bitmap or the new one, never half of one. On failure the old file stays, no temporary file
 * is left, and the error names the file and the reason.
 */
class BitmapWriter
{
public:
    explicit BitmapWriter(FileSystem& fs);

    /** Saves the whole of `image` to `path`. */
    static Result<> write(const QImage& image, const QString& path, FileSystem& fs);

    /**
     * The same in steps, so that the rows of a canvas are written while the rest of it is being made:
     * begins the temporary file.
     */
    Result<> begin(const QString& path);
    /**
     * Writes row `y` of `canvas` (RGB32), which is final from now on; from one thread at a time. A failure
     * is told by finish().
     */
    void writeRow(const QImage& canvas, int y);
    /** Forgets the rows written so far: the canvas they came from was dropped. */
    void forgetRows();
    /** Writes the header and the rows of `canvas` not written yet, and puts the bitmap in place. */
    Result<> finish(const QImage& canvas);

private:
    AtomicFileWriter m_file;
    QString m_path;
    /** Per canvas row, whether it is written; a byte each, as a row is marked from another thread. */
    std::vector<char> m_written;
    std::vector<uchar> m_row;
};
