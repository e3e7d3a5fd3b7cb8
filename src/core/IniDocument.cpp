// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniDocument.h"

#include "IniEncoding.h"
#include "IniSyntax.h"

#include <algorithm>

namespace {

/** The position a key name stands for when a list wrote it ("0", "1", … without leading zeros); else -1. */
qsizetype listPosition(QByteArrayView name)
{
    if (name.isEmpty() || name.size() > 9 || (name.size() > 1 && name.front() == '0'))
        return -1;
    qsizetype number = 0;
    for (const char c : name) {
        if (c < '0' || c > '9')
            return -1;
        number = 10 * number + (c - '0');
    }
    return number;
}

} // namespace

IniDocument IniDocument::parse(const QByteArray& utf8)
{
    IniDocument doc;
    doc.m_source = utf8;
    const char* p = doc.m_source.constData();
    const char* const end = doc.m_source.constEnd();
    while (p < end) {
        const char* lineEnd = std::find_if(p, end, [](char c) { return c == '\n' || c == '\r'; });
        const bool crlf = end - lineEnd >= 2 && lineEnd[0] == '\r' && lineEnd[1] == '\n';
        const QByteArrayView ending(lineEnd, lineEnd == end ? 0 : crlf ? 2 : 1);
        doc.m_lines.push_back(line(QByteArray::fromRawData(p, lineEnd - p), ending));
        p = ending.end();
    }
    return doc;
}

IniDocument::Line IniDocument::line(QByteArray text, QByteArrayView ending)
{
    const QByteArrayView trimmed = IniSyntax::trimmed(text);
    Line line{text, ending};
    if (trimmed.startsWith('['))
        line.header = true;
    else if (!trimmed.startsWith(';'))
        line.equals = int(text.indexOf('='));
    return line;
}

QByteArray IniDocument::serialise() const
{
    QByteArray out;
    for (const Line& line : m_lines)
        out.append(line.text).append(line.ending);
    return out;
}

QByteArrayView IniDocument::sectionName(const Line& header)
{
    const QByteArrayView name = IniSyntax::trimmed(header.text).sliced(1); // after the '['
    const qsizetype close = name.indexOf(']');
    return close < 0 ? name : name.first(close);
}

QByteArrayView IniDocument::keyName(const Line& key)
{
    return QByteArrayView(key.text).first(key.equals);
}

IniDocument::Range IniDocument::find(QByteArrayView foldedSection) const
{
    Range range;
    for (qsizetype i = 0; i < qsizetype(m_lines.size()); ++i) {
        if (!m_lines[i].header)
            continue;
        if (range.header >= 0)
            return {range.header, i};
        if (IniSyntax::sameName(sectionName(m_lines[i]), foldedSection))
            range.header = i;
    }
    return range.header < 0 ? range : Range{range.header, qsizetype(m_lines.size())};
}

qsizetype IniDocument::findKey(Range range, QByteArrayView foldedKey) const
{
    for (qsizetype i = range.header + 1; i < range.end; ++i) {
        if (m_lines[i].equals >= 0 && IniSyntax::sameName(keyName(m_lines[i]), foldedKey))
            return i;
    }
    return -1;
}

std::vector<qsizetype> IniDocument::listLines(Range range, qsizetype count) const
{
    std::vector<qsizetype> lines(count, -1);
    for (qsizetype i = range.header + 1; i < range.end; ++i) {
        if (m_lines[i].equals < 0)
            continue;
        // Digits have no case: a list's names need no folding.
        const qsizetype position = listPosition(IniSyntax::trimmed(keyName(m_lines[i])));
        if (position >= 0 && position < count && lines[position] < 0)
            lines[position] = i;
    }
    return lines;
}

QByteArrayView IniDocument::valueOf(const Line& key)
{
    return IniSyntax::readValue(QByteArrayView(key.text).sliced(key.equals + 1));
}

QString IniDocument::value(const QString& section, const QString& key) const
{
    const qsizetype at =
        findKey(find(IniSyntax::foldName(section.toUtf8())), IniSyntax::foldName(key.toUtf8()));
    if (at < 0)
        return {};
    const QByteArrayView value = valueOf(m_lines[at]);
    return value.isEmpty() ? QLatin1String("") : IniEncoding::toText(value);
}

QByteArrayList IniDocument::listValues(const QString& section, int count) const
{
    QByteArrayList values;
    values.reserve(count);
    for (const qsizetype at : listLines(find(IniSyntax::foldName(section.toUtf8())), count))
        values.append(at < 0 ? QByteArray() : valueOf(m_lines[at]).toByteArray());
    return values;
}

QByteArrayView IniDocument::newLineEnding() const
{
    return !m_lines.empty() && !m_lines.front().ending.isEmpty() ? m_lines.front().ending : "\n";
}

void IniDocument::giveEnding(qsizetype at, QByteArrayView ending)
{
    if (at >= 0 && m_lines[at].ending.isEmpty())
        m_lines[at].ending = ending;
}

IniDocument::Range IniDocument::sectionForWriting(const QString& section)
{
    const QByteArray utf8 = section.toUtf8();
    const QByteArrayView name = IniSyntax::trimmed(utf8);
    const Range found = find(IniSyntax::foldName(name));
    if (found.header >= 0)
        return found;
    const QByteArrayView ending = newLineEnding();
    giveEnding(qsizetype(m_lines.size()) - 1, ending);
    m_lines.push_back(line('[' + name.toByteArray() + ']', ending));
    return {qsizetype(m_lines.size()) - 1, qsizetype(m_lines.size())};
}

bool IniDocument::replaceValue(Line& key, const QByteArray& stored)
{
    // The key keeps its spelling.
    if (QByteArrayView(key.text).sliced(key.equals + 1) == stored)
        return false;
    key.text = key.text.first(key.equals + 1) + stored;
    return true;
}

void IniDocument::insertKeys(Range range, std::vector<Line> added)
{
    qsizetype at = range.header + 1;
    for (qsizetype i = at; i < range.end; ++i) {
        if (m_lines[i].equals >= 0)
            at = i + 1;
    }
    giveEnding(at - 1, added.front().ending);
    // A lone CR followed by an empty LF line is one CRLF once written out. Lines that come to meet
    // that way are joined, as a re-read would, so later edits do not depend on whether the file
    // was read again in between.
    qsizetype joined = 0;
    for (Line& line : added) {
        if (at + joined < qsizetype(m_lines.size()) && joinsIntoCrLf(line, m_lines[at + joined])) {
            line.ending = "\r\n";
            ++joined;
        }
    }
    m_lines.erase(m_lines.begin() + at, m_lines.begin() + at + joined);
    m_lines.insert(m_lines.begin() + at, std::make_move_iterator(added.begin()),
                   std::make_move_iterator(added.end()));
}

bool IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    const Range range = sectionForWriting(section);
    const QByteArray utf8Key = key.toUtf8();
    const QByteArrayView name = IniSyntax::trimmed(utf8Key);
    const QByteArray stored = IniSyntax::storedValue(value.toUtf8());
    const qsizetype at = findKey(range, IniSyntax::foldName(name));
    if (at >= 0)
        return replaceValue(m_lines[at], stored);
    insertKeys(range, {line(name.toByteArray() + '=' + stored, newLineEnding())});
    return true;
}

bool IniDocument::setListValues(const QString& section, const QByteArrayList& utf8Values)
{
    if (utf8Values.isEmpty())
        return false;
    const Range range = sectionForWriting(section);
    const std::vector<qsizetype> lines = listLines(range, utf8Values.size());
    bool changed = false;
    std::vector<Line> added;
    for (qsizetype i = 0; i < utf8Values.size(); ++i) {
        const QByteArray stored = IniSyntax::storedValue(utf8Values[i]);
        if (lines[i] >= 0)
            changed |= replaceValue(m_lines[lines[i]], stored);
        else
            added.push_back(line(QByteArray::number(i).append('=').append(stored), newLineEnding()));
    }
    if (added.empty())
        return changed;
    insertKeys(range, std::move(added));
    return true;
}

bool IniDocument::apply(const IniEdit& edit)
{
    switch (edit.kind) {
    case IniEdit::Kind::Write:
        return setValue(edit.section, edit.key, edit.value);
    case IniEdit::Kind::WriteList:
        return setListValues(edit.section, edit.utf8Values);
    case IniEdit::Kind::RemoveSection:
        return removeSection(edit.section);
    }
    return false;
}

bool IniDocument::joinsIntoCrLf(const Line& first, const Line& second)
{
    return first.ending == "\r" && second.text.isEmpty() && second.ending == "\n";
}

bool IniDocument::removeSection(const QString& section)
{
    const QByteArray folded = IniSyntax::foldName(section.toUtf8());
    if (find(folded).header < 0)
        return false;
    qsizetype kept = 0;
    bool removing = false;
    for (Line& line : m_lines) {
        if (line.header)
            removing = IniSyntax::sameName(sectionName(line), folded);
        if (removing && (line.header || line.equals >= 0))
            continue;
        if (kept > 0 && joinsIntoCrLf(m_lines[kept - 1], line))
            m_lines[kept - 1].ending = "\r\n";
        else
            std::swap(m_lines[kept++], line);
    }
    m_lines.resize(kept);
    return true;
}
