// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExifDate.h"

#include <QIODevice>
#include <QTimeZone>

namespace {

constexpr quint16 ExifDirectoryTag = 0x8769;
constexpr quint16 DateTimeOriginalTag = 0x9003;
constexpr quint16 AsciiType = 2;
/** "yyyy:MM:dd HH:mm:ss" */
constexpr quint32 DateLength = 19;
constexpr qint64 EntrySize = 12;
/** More entries than any writer puts in one directory: a larger count is a broken file, and not read. */
constexpr quint32 MostEntries = 1000;
/** JPEG segments looked at for the EXIF one: every step is a read, and a file can hold millions. */
constexpr int MostSegments = 1000;

/** A part of a file, `size` bytes from `base`, read in pieces that lie in it whole. */
class Window
{
public:
    /** A window that would reach past the file's end (a segment that says it is longer) ends with it. */
    Window(QIODevice& file, qint64 base, qint64 size)
        : m_file(file), m_base(base), m_size(qMin(size, file.size() - base))
    {}

    /** `length` bytes at `offset` in the window; empty when they do not lie in it, or cannot be read. */
    QByteArray read(qint64 offset, qint64 length) const
    {
        if (offset < 0 || length <= 0 || offset > m_size - length || !m_file.seek(m_base + offset))
            return {};
        QByteArray piece = m_file.read(length);
        return piece.size() == length ? piece : QByteArray();
    }

private:
    QIODevice& m_file;
    qint64 m_base;
    qint64 m_size;
};

/**
 * A TIFF structure in either byte order. Only the first directory and the Exif directory it points to
 * are read, each once: no chain of directories is followed, so a loop in one cannot hold the reader.
 */
class Tiff
{
public:
    explicit Tiff(const Window& window) : m_window(window)
    {
        const QByteArray header = m_window.read(0, 8);
        m_valid =
            header.startsWith(QByteArrayView("II*\0", 4)) || header.startsWith(QByteArrayView("MM\0*", 4));
        m_little = m_valid && header[0] == 'I';
        m_first = m_valid ? number(header, 4, 4) : 0;
    }

    /** The DateTimeOriginal text, as written; empty when there is none. */
    QByteArray dateText() const
    {
        const QByteArray pointer = m_valid ? entry(m_first, ExifDirectoryTag) : QByteArray();
        const QByteArray date =
            pointer.isEmpty() ? QByteArray() : entry(number(pointer, 8, 4), DateTimeOriginalTag);
        if (date.isEmpty() || number(date, 2, 2) != AsciiType || number(date, 4, 4) < DateLength)
            return {};
        // Twenty bytes with the closing nul do not fit the entry: the value lies at the offset it holds.
        return m_window.read(number(date, 8, 4), DateLength);
    }

private:
    /** The entry (12 bytes) for `tag` in the directory at `directory`; empty when it holds none. */
    QByteArray entry(quint32 directory, quint16 tag) const
    {
        const QByteArray count = m_window.read(directory, 2);
        if (count.isEmpty() || number(count, 0, 2) > MostEntries)
            return {};
        const QByteArray entries = m_window.read(qint64(directory) + 2, number(count, 0, 2) * EntrySize);
        for (qint64 at = 0; at + EntrySize <= entries.size(); at += EntrySize) {
            if (number(entries, at, 2) == tag)
                return entries.sliced(at, EntrySize);
        }
        return {};
    }

    /** A `size`-byte unsigned number at `offset` of `bytes`, in the structure's byte order. */
    quint32 number(QByteArrayView bytes, qint64 offset, int size) const
    {
        quint32 value = 0;
        for (int i = 0; i < size; ++i)
            value = (value << 8) | quint8(bytes[offset + (m_little ? size - 1 - i : i)]);
        return value;
    }

    Window m_window;
    bool m_valid = false;
    bool m_little = false;
    quint32 m_first = 0;
};

/** The DateTimeOriginal text of a JPEG's EXIF segment, wherever among its segments that lies. */
QByteArray dateTextOfJpeg(QIODevice& file)
{
    constexpr quint8 Marker = 0xff, App1 = 0xe1, StartOfScan = 0xda, EndOfImage = 0xd9;
    const Window whole(file, 0, file.size());
    qint64 at = 2;
    for (int step = 0; step < MostSegments; ++step) {
        const QByteArray head = whole.read(at, 4);
        if (head.isEmpty() || quint8(head[0]) != Marker)
            return {};
        const auto kind = quint8(head[1]);
        if (kind == Marker) { // fill byte before a marker
            ++at;
            continue;
        }
        if (kind == StartOfScan || kind == EndOfImage)
            return {};
        const qint64 length = (quint8(head[2]) << 8) | quint8(head[3]);
        if (length < 2)
            return {};
        // After the marker, the length and "Exif" with two nuls: the TIFF structure, its offsets counted
        // from its own start.
        if (kind == App1 && whole.read(at + 4, 6) == QByteArrayView("Exif\0\0", 6))
            return Tiff(Window(file, at + 10, length - 8)).dateText();
        at += 2 + length;
    }
    return {};
}

} // namespace

std::optional<QDateTime> ExifDate::taken(QIODevice& file)
{
    const bool jpeg = Window(file, 0, file.size()).read(0, 2) == QByteArrayView("\xff\xd8", 2);
    const QString text =
        QString::fromLatin1(jpeg ? dateTextOfJpeg(file) : Tiff(Window(file, 0, file.size())).dateText());
    if (text.size() != qsizetype(DateLength) || text[10] != u' ')
        return std::nullopt;
    // Read as local time, a time of day that summer time skips would be no time at all.
    const QDate day = QDate::fromString(text.first(10), QStringLiteral("yyyy:MM:dd"));
    const QTime time = QTime::fromString(text.sliced(11), QStringLiteral("HH:mm:ss"));
    if (!day.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(day, time, QTimeZone::utc());
}
