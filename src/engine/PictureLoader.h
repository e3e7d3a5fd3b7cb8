// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

/** Decodes picture files (GIF, JPEG, BMP and whatever else Qt reads) by their content, upright. */
class PictureLoader
{
public:
    /**
     * Loads `path` with its EXIF orientation applied. When `shownAt` is not empty the picture is going
     * to be shrunk to that size; a picture at least twice as large in both directions is then decoded
     * already reduced (still no smaller than `shownAt`), which for JPEG costs a fraction of a full decode.
     * Only regular files are opened, and the format is decided by the content, never by the name.
     * A null image when the file cannot be read as a picture, with the reason in `reason` when given.
     */
    static QImage load(const QString& path, QSize shownAt = QSize(), QString* reason = nullptr);

    /**
     * The size to ask a JPEG decoder for so that its DCT scaling (by M/8) gives exactly that size and
     * nothing is resampled twice; `target` itself when no such size exists.
     */
    static QSize jpegDecodeSize(QSize stored, QSize target);
};
