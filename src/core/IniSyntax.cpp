// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniSyntax.h"

#include "IniEncoding.h"

#include <algorithm>
#include <limits>

namespace {

// U+FEFF, the byte-order mark some editors put in front of the first line.
constexpr char Bom[] = "\xEF\xBB\xBF";

bool isBlankByte(char c)
{
    return c == ' ' || c == '\t' || c == '\v';
}

bool startsWithBom(const char* begin, const char* end)
{
    return end - begin >= 3 && begin[0] == Bom[0] && begin[1] == Bom[1] && begin[2] == Bom[2];
}

bool endsWithBom(const char* begin, const char* end)
{
    return end - begin >= 3 && end[-3] == Bom[0] && end[-2] == Bom[1] && end[-1] == Bom[2];
}

bool isAscii(const char* begin, const char* end)
{
    return std::all_of(begin, end, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char foldedAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

bool hasLineBreak(const QString& text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

} // namespace

void IniSyntax::trim(const char*& begin, const char*& end)
{
    for (;;) {
        if (begin < end && isBlankByte(*begin))
            ++begin;
        else if (startsWithBom(begin, end))
            begin += 3;
        else
            break;
    }
    for (;;) {
        if (begin < end && isBlankByte(end[-1]))
            --end;
        else if (endsWithBom(begin, end))
            end -= 3;
        else
            break;
    }
}

QByteArray IniSyntax::trimmed(const QByteArray& bytes)
{
    const char* begin = bytes.constData();
    const char* end = bytes.constEnd();
    trim(begin, end);
    if (begin == bytes.constData() && end == bytes.constEnd())
        return bytes;
    return QByteArray(begin, end - begin);
}

QString IniSyntax::foldName(const char* begin, const char* end)
{
    trim(begin, end);
    if (!isAscii(begin, end))
        return QString::fromUtf8(begin, end - begin).toCaseFolded();
    QString folded(end - begin, Qt::Uninitialized);
    QChar* out = folded.data();
    for (const char* p = begin; p < end; ++p)
        *out++ = QLatin1Char(foldedAscii(*p));
    return folded;
}

void IniSyntax::foldName(const char* begin, const char* end, FoldedBytes& out)
{
    trim(begin, end);
    out.clear();
    if (!isAscii(begin, end)) {
        const QByteArray folded = foldName(begin, end).toUtf8();
        out.append(folded.constData(), folded.size());
        return;
    }
    out.resize(end - begin);
    std::transform(begin, end, out.begin(), foldedAscii);
}

bool IniSyntax::sameName(const char* begin, const char* end, QByteArrayView folded)
{
    trim(begin, end);
    if (isAscii(begin, end)) {
        return end - begin == folded.size() &&
               std::equal(begin, end, folded.begin(), [](char c, char f) { return foldedAscii(c) == f; });
    }
    FoldedBytes own;
    foldName(begin, end, own);
    return QByteArrayView(own.constData(), own.size()) == folded;
}

int IniSyntax::listPosition(QByteArrayView folded)
{
    if (folded.isEmpty() || folded.size() > 10 || (folded.size() > 1 && folded.front() == '0'))
        return -1;
    qint64 number = 0;
    for (const char c : folded) {
        if (c < '0' || c > '9')
            return -1;
        number = 10 * number + (c - '0');
    }
    return number <= std::numeric_limits<int>::max() ? int(number) : -1;
}

QString IniSyntax::foldName(const QString& name)
{
    const auto blank = [](QChar c) {
        return c == u' ' || c == u'\t' || c == u'\v' || c == QChar(0xFEFF);
    };
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && blank(name[begin]))
        ++begin;
    while (end > begin && blank(name[end - 1]))
        --end;
    // Most names ("0", "images") are folded already: share them rather than build a copy.
    const bool alreadyFolded = std::all_of(name.cbegin() + begin, name.cbegin() + end, [](QChar c) {
        return c.unicode() < 0x80 && !(c >= u'A' && c <= u'Z');
    });
    if (alreadyFolded && begin == 0 && end == name.size())
        return name;
    QString folded(end - begin, Qt::Uninitialized);
    QChar* out = folded.data();
    for (qsizetype i = begin; i < end; ++i) {
        const char16_t c = name[i].unicode();
        if (c >= 0x80)
            return foldName(name.toUtf8()); // rare: let the byte rules decide
        *out++ = QChar(c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c);
    }
    return folded;
}

QByteArrayView IniSyntax::readValue(const char* begin, const char* end)
{
    trim(begin, end);
    if (end - begin >= 2 && (*begin == '"' || *begin == '\'') && end[-1] == *begin) {
        ++begin;
        --end;
    }
    return QByteArrayView(begin, end - begin);
}

QByteArray IniSyntax::storedValue(const QByteArray& utf8)
{
    const char* begin = utf8.constData();
    const char* end = utf8.constEnd();
    trim(begin, end);
    const bool loosesBlanks = begin != utf8.constData() || end != utf8.constEnd();
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
    const QByteArray name = trimmed(key.toUtf8());
    if (name.startsWith('[') || name.startsWith(';'))
        return QStringLiteral("the key \"%1\" would read as a section or a comment").arg(key);
    return {};
}

QString IniSyntax::valueProblem(const QString& value)
{
    if (hasLineBreak(value))
        return QStringLiteral("the value holds a line break");
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
