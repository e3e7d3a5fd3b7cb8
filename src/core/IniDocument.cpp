// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniDocument.h"

#include "IniSyntax.h"

#include <cstring>

IniDocument::IniDocument() = default;
IniDocument::~IniDocument() = default;
IniDocument::IniDocument(IniDocument&&) noexcept = default;
IniDocument& IniDocument::operator=(IniDocument&&) noexcept = default;

IniDocument IniDocument::parse(const QByteArray& utf8)
{
    IniDocument doc;
    doc.m_source = utf8;
    const char* p = doc.m_source.constData();
    const char* const end = doc.m_source.constEnd();
    while (p < end) {
        const char* lineEnd = p;
        while (lineEnd < end && *lineEnd != '\n' && *lineEnd != '\r')
            ++lineEnd;
        Ending ending = Ending::None;
        const char* next = lineEnd;
        if (lineEnd < end && *lineEnd == '\n') {
            ending = Ending::Lf;
            next = lineEnd + 1;
        } else if (lineEnd < end) {
            const bool crlf = lineEnd + 1 < end && lineEnd[1] == '\n';
            ending = crlf ? Ending::CrLf : Ending::Cr;
            next = lineEnd + (crlf ? 2 : 1);
        }
        doc.addLine(classify(QByteArray::fromRawData(p, lineEnd - p), ending));
        p = next;
    }
    return doc;
}

IniDocument::Line IniDocument::classify(QByteArray text, Ending ending)
{
    Line line{std::move(text), ending, Kind::Other, -1};
    const char* begin = line.text.constData();
    const char* end = line.text.constEnd();
    IniSyntax::trim(begin, end);
    if (begin == end || *begin == ';')
        return line;
    if (*begin == '[') {
        line.kind = Kind::Section;
        return line;
    }
    const void* equals = std::memchr(begin, '=', end - begin);
    if (equals) {
        line.kind = Kind::Key;
        line.equals = int(static_cast<const char*>(equals) - line.text.constData());
    }
    return line;
}

QString IniDocument::sectionName(const Line& header)
{
    const char* begin = header.text.constData();
    const char* end = header.text.constEnd();
    IniSyntax::trim(begin, end);
    ++begin; // the '['
    const void* close = std::memchr(begin, ']', end - begin);
    return IniSyntax::foldName(begin, close ? static_cast<const char*>(close) : end);
}

void IniDocument::addLine(Line line)
{
    if (line.kind == Kind::Section) {
        auto block = std::make_unique<Block>();
        block->name = sectionName(line);
        block->header = std::move(line);
        block->firstOfName = !m_sections.contains(block->name);
        if (block->firstOfName)
            m_sections.insert(block->name, block.get());
        m_blocks.push_back(std::move(block));
        return;
    }
    if (m_blocks.empty()) {
        m_preamble.push_back(std::move(line));
        return;
    }
    Block& block = *m_blocks.back();
    if (line.kind != Kind::Key) {
        block.tail.push_back(std::move(line));
        return;
    }
    for (Line& waiting : block.tail)
        block.head.push_back(std::move(waiting));
    block.tail.clear();
    block.head.push_back(std::move(line));
    if (block.firstOfName) {
        const Line& added = block.head.back();
        indexKey(block, int(block.head.size()) - 1,
                 IniSyntax::foldName(added.text.constData(), added.text.constData() + added.equals));
    }
}

void IniDocument::indexKey(Block& block, int index, const QString& name)
{
    if (!block.keys.contains(name))
        block.keys.insert(name, index);
}

QByteArray IniDocument::endingBytes(Ending ending)
{
    switch (ending) {
    case Ending::Lf:
        return QByteArrayLiteral("\n");
    case Ending::CrLf:
        return QByteArrayLiteral("\r\n");
    case Ending::Cr:
        return QByteArrayLiteral("\r");
    case Ending::None:
        break;
    }
    return {};
}

QByteArray IniDocument::serialise() const
{
    QByteArray out;
    qsizetype size = 0;
    const auto measure = [&size](const Line& line) {
        size += line.text.size() + 2;
    };
    const auto append = [&out](const Line& line) {
        out.append(line.text);
        switch (line.ending) {
        case Ending::Lf:
            out.append('\n');
            break;
        case Ending::CrLf:
            out.append("\r\n", 2);
            break;
        case Ending::Cr:
            out.append('\r');
            break;
        case Ending::None:
            break;
        }
    };
    for (int pass = 0; pass < 2; ++pass) {
        const auto visit = [&](const Line& line) {
            pass == 0 ? measure(line) : append(line);
        };
        for (const Line& line : m_preamble)
            visit(line);
        for (const auto& block : m_blocks) {
            visit(block->header);
            for (const Line& line : block->head)
                visit(line);
            for (const Line& line : block->tail)
                visit(line);
        }
        if (pass == 0)
            out.reserve(size);
    }
    return out;
}

bool IniDocument::isEmpty() const
{
    return m_preamble.empty() && m_blocks.empty();
}

QString IniDocument::valueOf(const Block* block, const QString& key)
{
    if (!block)
        return {};
    const int index = block->keys.value(IniSyntax::foldName(key), -1);
    if (index < 0)
        return {};
    const Line& line = block->head[index];
    QString value = IniSyntax::readValue(line.text.constData() + line.equals + 1, line.text.constEnd());
    if (value.isNull())
        value = QLatin1String("");
    return value;
}

QString IniDocument::value(const QString& section, const QString& key) const
{
    return valueOf(m_sections.value(IniSyntax::foldName(section)), key);
}

QStringList IniDocument::values(const QString& section, const QStringList& keys) const
{
    const Block* block = m_sections.value(IniSyntax::foldName(section));
    QStringList values;
    values.reserve(keys.size());
    for (const QString& key : keys)
        values.append(valueOf(block, key));
    return values;
}

IniDocument::Ending IniDocument::newLineEnding() const
{
    const Line* first = !m_preamble.empty() ? &m_preamble.front()
                        : !m_blocks.empty() ? &m_blocks.front()->header
                                            : nullptr;
    return first && first->ending != Ending::None ? first->ending : Ending::Lf;
}

IniDocument::Line* IniDocument::lastLineOf(Block& block)
{
    if (!block.tail.empty())
        return &block.tail.back();
    if (!block.head.empty())
        return &block.head.back();
    return &block.header;
}

IniDocument::Line* IniDocument::lastLine()
{
    if (!m_blocks.empty())
        return lastLineOf(*m_blocks.back());
    return m_preamble.empty() ? nullptr : &m_preamble.back();
}

void IniDocument::giveEnding(Line* line, Ending ending)
{
    if (line && line->ending == Ending::None)
        line->ending = ending;
}

bool IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    const QByteArray sectionBytes = IniSyntax::trimmed(section.toUtf8());
    const QByteArray keyBytes = IniSyntax::trimmed(key.toUtf8());
    const QByteArray stored = IniSyntax::storedValue(value);
    const QString sectionKey = IniSyntax::foldName(sectionBytes);
    const Ending ending = newLineEnding();
    Line newLine{keyBytes + '=' + stored, ending, Kind::Key, int(keyBytes.size())};

    const QString keyName = IniSyntax::foldName(keyBytes);
    Block* block = m_sections.value(sectionKey);
    if (block) {
        const int index = block->keys.value(keyName, -1);
        if (index >= 0) {
            Line& line = block->head[index];
            QByteArray text = line.text.left(line.equals + 1) + stored;
            if (text == line.text)
                return false;
            line.text = std::move(text);
            return true;
        }
        giveEnding(block->head.empty() ? &block->header : &block->head.back(), ending);
        block->head.push_back(std::move(newLine));
        if (!block->tail.empty() && joinsIntoCrLf(block->head.back(), block->tail.front())) {
            block->head.back().ending = Ending::CrLf;
            block->tail.pop_front();
        }
        indexKey(*block, int(block->head.size()) - 1, keyName);
        return true;
    }

    giveEnding(lastLine(), ending);
    auto added = std::make_unique<Block>();
    added->header = Line{'[' + sectionBytes + ']', ending, Kind::Section, -1};
    added->name = sectionKey;
    added->firstOfName = true;
    added->head.push_back(std::move(newLine));
    m_sections.insert(sectionKey, added.get());
    indexKey(*added, 0, keyName);
    m_blocks.push_back(std::move(added));
    return true;
}

bool IniDocument::joinsIntoCrLf(const Line& first, const Line& second)
{
    // A lone CR followed by an empty LF line is one CRLF once written out. Lines that come to meet
    // that way are joined, as a re-read would, so later edits do not depend on whether the file
    // was read again in between.
    return first.ending == Ending::Cr && second.text.isEmpty() && second.ending == Ending::Lf;
}

void IniDocument::appendSurvivor(Block* previous, Line line)
{
    Line* last = previous ? lastLineOf(*previous) : (m_preamble.empty() ? nullptr : &m_preamble.back());
    if (last && joinsIntoCrLf(*last, line)) {
        last->ending = Ending::CrLf;
        return;
    }
    if (previous)
        previous->tail.push_back(std::move(line));
    else
        m_preamble.push_back(std::move(line));
}

bool IniDocument::removeSection(const QString& section)
{
    const QString name = IniSyntax::foldName(section);
    if (!m_sections.contains(name))
        return false;
    std::vector<std::unique_ptr<Block>> kept;
    kept.reserve(m_blocks.size());
    for (auto& block : m_blocks) {
        if (block->name != name) {
            kept.push_back(std::move(block));
            continue;
        }
        Block* previous = kept.empty() ? nullptr : kept.back().get();
        for (Line& line : block->head) {
            if (line.kind != Kind::Key)
                appendSurvivor(previous, std::move(line));
        }
        for (Line& line : block->tail)
            appendSurvivor(previous, std::move(line));
    }
    m_blocks = std::move(kept);
    m_sections.remove(name);
    return true;
}
