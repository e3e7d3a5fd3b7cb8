// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <optional>

/** When a photo was taken, as its EXIF data says (DateTimeOriginal), read from the file's first bytes. */
class ExifDate
{
public:
    /** How many of a file's first bytes hold its EXIF data, when it has any. */
    static constexpr qint64 HeadBytes = 256 * 1024;

    /**
     * The date-time a JPEG's or TIFF's EXIF data gives as taken, in local time; nothing when `head`
     * holds none, or a broken or blank one. Every offset is checked against `head`.
     */
    static std::optional<QDateTime> taken(const QByteArray& head);
};
