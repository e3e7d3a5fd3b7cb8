// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <optional>

class QIODevice;

/**
 * When a photo was taken, as its EXIF data says (DateTimeOriginal). The data is read where it lies, a few
 * small pieces at a time, never the whole file: a TIFF often keeps its directory after the image data, and
 * a JPEG may carry large segments before its EXIF one.
 */
class ExifDate
{
public:
    /**
     * The date-time a JPEG's or TIFF's EXIF data gives as taken, read from `file` (open, seekable):
     * nothing when it holds none, or a broken or blank one. EXIF names no time zone: the value is the
     * camera's clock as written, held in UTC, where every time of day exists (a local time that a change
     * to summer time skips is still the day the photo was taken).
     */
    static std::optional<QDateTime> taken(QIODevice& file);
};
