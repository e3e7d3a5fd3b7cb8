// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

/**
 * Settings files are UTF-8, except old ones written by the Windows profile functions, which are
 * Windows-1252. The encoding is decided per line: a line that is valid UTF-8 is UTF-8, any other
 * line Windows-1252, so that one stray byte does not turn the file's UTF-8 names into mojibake.
 */
class IniEncoding
{
public:
    /** True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF). */
    static bool isUtf8(QByteArrayView bytes);
    /** UTF-8 text as a string. Unlike QString::fromUtf8(), a byte-order mark in front is kept as U+FEFF. */
    static QString toText(QByteArrayView utf8);
    /** The same text as the Windows-1252 bytes, in UTF-8. */
    static QByteArray utf8FromWindows1252(QByteArrayView bytes);
    /** The file's text in UTF-8; converted is set when some line had to be converted. */
    static QByteArray toUtf8(const QByteArray& fileBytes, bool* converted);
};
