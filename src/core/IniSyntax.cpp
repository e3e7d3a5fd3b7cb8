// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniSyntax.h"

#include "IniEncoding.h"

#include <algorithm>

namespace {

// U+FEFF, the byte-order mark some editors put in front of the first line.
const QByteArrayView Bom("\xEF\xBB\xBF", 3);

bool isBlankByte(char c)
{
    return c == ' ' || c == '\t' || c == '\v';
}

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool hasLineBreak(const QString& text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

} // namespace

QByteArrayView IniSyntax::trimmed(QByteArrayView bytes)
{
    for (;;) {
        if (!bytes.isEmpty() && isBlankByte(bytes.front()))
            bytes = bytes.sliced(1);
        else if (bytes.startsWith(Bom))
            bytes = bytes.sliced(3);
        else
            break;
    }
    for (;;) {
        if (!bytes.isEmpty() && isBlankByte(bytes.back()))
            bytes.chop(1);
        else if (bytes.endsWith(Bom))
            bytes.chop(3);
        else
            break;
    }
    return bytes;
}

QByteArray IniSyntax::foldName(QByteArrayView name)
{
    name = trimmed(name);
    if (!isAscii(name))
        return QString::fromUtf8(name).toCaseFolded().toUtf8();
    return name.toByteArray().toLower();
}

bool IniSyntax::sameName(QByteArrayView name, QByteArrayView folded)
{
    name = trimmed(name);
    // Only an ASCII name can fold to ASCII bytes, and it folds letter by letter.
    if (isAscii(name))
        return name.compare(folded, Qt::CaseInsensitive) == 0;
    return foldName(name) == folded;
}

QByteArrayView IniSyntax::readValue(QByteArrayView stored)
{
    stored = trimmed(stored);
    if (stored.size() >= 2 && (stored.front() == '"' || stored.front() == '\'') &&
        stored.back() == stored.front())
        stored = stored.sliced(1).chopped(1);
    return stored;
}

QByteArray IniSyntax::storedValue(const QByteArray& utf8)
{
    const bool loosesBlanks = trimmed(utf8).size() != utf8.size();
    const bool looksQuoted =
        utf8.size() >= 2 && (utf8.front() == '"' || utf8.front() == '\'') && utf8.back() == utf8.front();
    if (!loosesBlanks && !looksQuoted)
        return utf8;
    return '"' + utf8 + '"';
}

QString IniSyntax::sectionProblem(const QString& section)
{
    if (hasLineBreak(section))
        return QStringLiteral("the section name \"%1\" holds a line break").arg(section.simplified());
    if (section.contains(QLatin1Char(']')))
        return QStringLiteral("the section name \"%1\" holds a \"]\"").arg(section);
    return {};
}

QString IniSyntax::keyProblem(const QString& key)
{
    if (hasLineBreak(key))
        return QStringLiteral("the key \"%1\" holds a line break").arg(key.simplified());
    if (key.contains(QLatin1Char('=')))
        return QStringLiteral("the key \"%1\" holds a \"=\"").arg(key);
    const QByteArray utf8 = key.toUtf8();
    const QByteArrayView name = trimmed(utf8);
    if (name.startsWith('[') || name.startsWith(';'))
        return QStringLiteral("the key \"%1\" would read as a section or a comment").arg(key);
    return {};
}

QString IniSyntax::valueProblem(QByteArrayView utf8)
{
    if (utf8.contains('\n') || utf8.contains('\r'))
        return QStringLiteral("the value holds a line break");
    if (!IniEncoding::isUtf8(utf8))
        return QStringLiteral("the value is not UTF-8 text");
    return {};
}
