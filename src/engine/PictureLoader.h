// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AreaScaler.h"
#include "DecodeDeadline.h"
#include "PictureView.h"
#include "Result.h"

#include <QImage>
#include <QString>

class FileSystem;

/** Decodes picture files (GIF, JPEG, BMP and whatever else Qt reads) by their content, upright. */
class PictureLoader
{
public:
    /**
     * Loads `path` with its EXIF orientation applied, decoding only what `view` says can be seen: a
     * picture shrunk for showing is decoded already reduced where the reader can (at least twice as
     * large both ways, or too large to decode whole), still no smaller than the size it is shown at;
     * of a picture shown at its own size only the part that can be seen is decoded, where the reader
     * can decode a part. A failure saying why when the file cannot be read as a picture, or when its
     * decode would still take more than the budget. Only regular files are opened
     * (through `files`), and the format is decided by the content, never by the name. A JPEG is refused
     * before decoding when its decoder's own buffers would take more than the budget or it has too many
     * scans; a decode still running at the deadline is abandoned, and the reason is the deadline's.
     */
    static Result<QImage> load(FileSystem& files, const QString& path, const PictureView& view = {},
                               const DecodeDeadline& deadline = DecodeDeadline());

    /**
     * Paints a JPEG stretched into `target` of `canvas` (RGB32) as `load` and the composer would, but
     * decoding it in strips that are shrunk while the next ones decode. False, with the canvas in any
     * state, when the file is not a JPEG that can go this way (not upright as stored, progressive,
     * not three-channel colour, smaller than the target, amiss part way, or past the deadline); `load`
     * takes it then. `rowDone` is told each canvas row as it is painted, on the thread that painted it.
     */
    [[nodiscard]] static bool shrinkInto(FileSystem& files, const QString& path, QImage& canvas,
                                         const QRect& target, const AreaScaler::RowDone& rowDone = {},
                                         const DecodeDeadline& deadline = DecodeDeadline());

    /** The picture's size as it is shown, turned upright; an invalid size when it is not a picture. */
    static QSize uprightSize(FileSystem& files, const QString& path);
};
