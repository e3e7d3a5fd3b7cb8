// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExifDate.h"

namespace {

constexpr quint16 ExifDirectoryTag = 0x8769;
constexpr quint16 DateTimeOriginalTag = 0x9003;
constexpr quint16 AsciiType = 2;
/** "yyyy:MM:dd HH:mm:ss" */
constexpr quint32 DateLength = 19;

/** A TIFF structure in either byte order, every read checked against its end. */
class Tiff
{
public:
    explicit Tiff(QByteArrayView bytes) : m_bytes(bytes)
    {
        m_valid = bytes.size() >= 8 && (bytes.first(4) == QByteArrayView("II*\0", 4) ||
                                        bytes.first(4) == QByteArrayView("MM\0*", 4));
        m_little = m_valid && bytes[0] == 'I';
    }

    bool valid() const { return m_valid; }
    std::optional<quint32> firstDirectory() const { return number(4, 4); }

    /** The value field's offset of a tag's entry in the directory at `directory`. */
    std::optional<qint64> entry(qint64 directory, quint16 tag) const
    {
        const std::optional<quint32> count = number(directory, 2);
        for (qint64 i = 0; count && i < *count; ++i) {
            const qint64 at = directory + 2 + 12 * i;
            const std::optional<quint32> found = number(at, 2);
            if (!found)
                return std::nullopt;
            if (*found == tag)
                return at;
        }
        return std::nullopt;
    }

    /** A `size`-byte unsigned number at `offset`, in the structure's byte order. */
    std::optional<quint32> number(qint64 offset, int size) const
    {
        if (offset < 0 || offset + size > m_bytes.size())
            return std::nullopt;
        quint32 value = 0;
        for (int i = 0; i < size; ++i) {
            const auto byte = quint8(m_bytes[offset + (m_little ? size - 1 - i : i)]);
            value = (value << 8) | byte;
        }
        return value;
    }

    QByteArrayView text(qint64 offset, qint64 length) const
    {
        if (offset < 0 || offset + length > m_bytes.size())
            return {};
        return m_bytes.sliced(offset, length);
    }

private:
    QByteArrayView m_bytes;
    bool m_valid = false;
    bool m_little = false;
};

std::optional<QDateTime> fromTiff(QByteArrayView bytes)
{
    const Tiff tiff(bytes);
    const std::optional<quint32> first = tiff.valid() ? tiff.firstDirectory() : std::nullopt;
    const std::optional<qint64> pointer = first ? tiff.entry(*first, ExifDirectoryTag) : std::nullopt;
    const std::optional<quint32> exif = pointer ? tiff.number(*pointer + 8, 4) : std::nullopt;
    const std::optional<qint64> date = exif ? tiff.entry(*exif, DateTimeOriginalTag) : std::nullopt;
    if (!date || tiff.number(*date + 2, 2) != AsciiType || tiff.number(*date + 4, 4) < DateLength)
        return std::nullopt;
    // Twenty bytes with the closing nul do not fit the entry: the value lies at the offset it holds.
    const std::optional<quint32> at = tiff.number(*date + 8, 4);
    const QByteArrayView text = at ? tiff.text(*at, DateLength) : QByteArrayView();
    const QDateTime taken =
        QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy:MM:dd HH:mm:ss"));
    return taken.isValid() ? std::optional(taken) : std::nullopt;
}

std::optional<QDateTime> fromJpeg(QByteArrayView bytes)
{
    constexpr quint8 Marker = 0xff, App1 = 0xe1, StartOfScan = 0xda, EndOfImage = 0xd9;
    qint64 at = 2;
    while (at + 4 <= bytes.size() && quint8(bytes[at]) == Marker) {
        const auto kind = quint8(bytes[at + 1]);
        if (kind == Marker) { // fill byte before a marker
            ++at;
            continue;
        }
        if (kind == StartOfScan || kind == EndOfImage)
            break;
        const qint64 length = (quint8(bytes[at + 2]) << 8) | quint8(bytes[at + 3]);
        if (length < 2 || at + 2 + length > bytes.size())
            break;
        const QByteArrayView segment = bytes.sliced(at + 4, length - 2);
        if (kind == App1 && segment.startsWith(QByteArrayView("Exif\0\0", 6)))
            return fromTiff(segment.sliced(6));
        at += 2 + length;
    }
    return std::nullopt;
}

} // namespace

std::optional<QDateTime> ExifDate::taken(const QByteArray& head)
{
    if (head.startsWith("\xff\xd8"))
        return fromJpeg(head);
    return fromTiff(head);
}
