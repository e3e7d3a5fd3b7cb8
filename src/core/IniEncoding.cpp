// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniEncoding.h"

namespace {

// 0x80-0x9F; the five unassigned bytes map to the C1 control of the same value, as Windows does.
constexpr char16_t Windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool isContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

} // namespace

bool IniEncoding::isUtf8(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const auto* end = p + bytes.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int length = 0;
        char32_t code = 0;
        char32_t minimum = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1F;
            minimum = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0F;
            minimum = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07;
            minimum = 0x10000;
        } else {
            return false;
        }
        if (end - p < length)
            return false;
        for (int i = 1; i < length; ++i) {
            if (!isContinuation(p[i]))
                return false;
            code = (code << 6) | (p[i] & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        p += length;
    }
    return true;
}

QString IniEncoding::toText(QByteArrayView utf8)
{
    QString text = QString::fromUtf8(utf8);
    if (utf8.startsWith("\xEF\xBB\xBF"))
        text.prepend(QChar(0xFEFF));
    return text;
}

QByteArray IniEncoding::utf8FromWindows1252(QByteArrayView bytes)
{
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        const char16_t code = c >= 0x80 && c <= 0x9F ? Windows1252High[c - 0x80] : char16_t(c);
        if (code < 0x80) {
            out.append(char(code));
        } else if (code < 0x800) {
            out.append(char(0xC0 | (code >> 6)));
            out.append(char(0x80 | (code & 0x3F)));
        } else {
            out.append(char(0xE0 | (code >> 12)));
            out.append(char(0x80 | ((code >> 6) & 0x3F)));
            out.append(char(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

QByteArray IniEncoding::toUtf8(const QByteArray& fileBytes, bool* converted)
{
    bool any = false;
    QByteArray out;
    if (isUtf8(fileBytes)) {
        out = fileBytes;
    } else {
        // Per line: an old file edited by a newer program holds both, and the UTF-8 lines must stay as
        // they are. Neither encoding makes a CR or LF byte out of anything else, so lines split alike.
        out.reserve(fileBytes.size() + fileBytes.size() / 8);
        qsizetype start = 0;
        while (start < fileBytes.size()) {
            qsizetype end = start;
            while (end < fileBytes.size() && fileBytes[end] != '\n' && fileBytes[end] != '\r')
                ++end;
            const QByteArrayView line(fileBytes.constData() + start, end - start);
            if (isUtf8(line)) {
                out.append(line);
            } else {
                out.append(utf8FromWindows1252(line));
                any = true;
            }
            while (end < fileBytes.size() && (fileBytes[end] == '\n' || fileBytes[end] == '\r'))
                out.append(fileBytes[end++]);
            start = end;
        }
    }
    if (converted)
        *converted = any;
    return out;
}
