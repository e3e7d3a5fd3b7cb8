// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniDocument.h"

#include "IniEncoding.h"
#include "IniSyntax.h"

#include <charconv>
#include <cstring>

namespace {

/** Key "i" of a list, formatted without an allocation. */
class ListKey
{
public:
    explicit ListKey(int position) : m_end(std::to_chars(m_digits, m_digits + sizeof m_digits, position).ptr)
    {}
    QByteArrayView bytes() const { return QByteArrayView(m_digits, m_end - m_digits); }

private:
    char m_digits[12];
    char* m_end;
};

} // namespace

IniDocument::IniDocument() = default;
IniDocument::~IniDocument() = default;
IniDocument::IniDocument(IniDocument&&) noexcept = default;
IniDocument& IniDocument::operator=(IniDocument&&) noexcept = default;

IniDocument IniDocument::parse(const QByteArray& utf8)
{
    IniDocument doc;
    doc.m_source = utf8;
    const char* const begin = doc.m_source.constData();
    const char* const end = doc.m_source.constEnd();
    const char* p = begin;
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
        doc.addLine(doc.classify(p - begin, lineEnd - p, ending));
        p = next;
    }
    return doc;
}

QByteArrayView IniDocument::textOf(const Line& line) const
{
    const QByteArray& store = line.written ? m_written : m_source;
    return QByteArrayView(store.constData() + line.start, line.size);
}

IniDocument::Line IniDocument::classify(qsizetype start, qsizetype size, Ending ending) const
{
    Line line{start, size, -1, ending, Kind::Other, false};
    const QByteArrayView text = textOf(line);
    const char* begin = text.begin();
    const char* end = text.end();
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
        line.equals = int(static_cast<const char*>(equals) - text.begin());
    }
    return line;
}

QString IniDocument::sectionName(const Line& header) const
{
    const QByteArrayView text = textOf(header);
    const char* begin = text.begin();
    const char* end = text.end();
    IniSyntax::trim(begin, end);
    ++begin; // the '['
    const void* close = std::memchr(begin, ']', end - begin);
    return IniSyntax::foldName(begin, close ? static_cast<const char*>(close) : end);
}

int IniDocument::findKey(const Block& block, QByteArrayView folded) const
{
    if (block.listLength >= 0) {
        const int position = IniSyntax::listPosition(folded);
        return position < block.listLength ? position : -1;
    }
    if (!block.indexed)
        indexKeys(block);
    // Names whose hashes are equal are told apart by the lines themselves.
    const auto [first, last] = block.keys.equal_range(qHash(folded));
    for (auto it = first; it != last; ++it) {
        const Line& line = block.head[*it];
        const QByteArrayView text = textOf(line);
        if (IniSyntax::sameName(text.begin(), text.begin() + line.equals, folded))
            return *it;
    }
    return -1;
}

void IniDocument::indexKeys(const Block& block) const
{
    block.keys.clear();
    block.keys.reserve(qsizetype(block.head.size()));
    block.indexed = true;
    IniSyntax::FoldedBytes folded;
    for (int index = 0; index < int(block.head.size()); ++index) {
        const Line& line = block.head[index];
        if (line.kind != Kind::Key)
            continue;
        const QByteArrayView text = textOf(line);
        IniSyntax::foldName(text.begin(), text.begin() + line.equals, folded);
        const QByteArrayView name(folded.constData(), folded.size());
        // The first key of a name is the one found.
        if (findKey(block, name) < 0)
            block.keys.insert(qHash(name), index);
    }
}

void IniDocument::addKey(Block& block, QByteArrayView folded)
{
    // head.back() is the key just added.
    if (block.listLength >= 0) {
        const bool next = block.head.size() == size_t(block.listLength) + 1 &&
                          IniSyntax::listPosition(folded) == block.listLength;
        block.listLength = next ? block.listLength + 1 : -1;
    }
    if (block.indexed)
        block.keys.insert(qHash(folded), int(block.head.size()) - 1);
}

void IniDocument::addLine(const Line& line)
{
    if (line.kind == Kind::Section) {
        auto block = std::make_unique<Block>();
        block->name = sectionName(line);
        block->header = line;
        block->firstOfName = !m_sections.contains(block->name);
        if (block->firstOfName)
            m_sections.insert(block->name, block.get());
        m_blocks.push_back(std::move(block));
        return;
    }
    if (m_blocks.empty()) {
        m_preamble.push_back(line);
        return;
    }
    Block& block = *m_blocks.back();
    if (line.kind != Kind::Key) {
        block.tail.push_back(line);
        return;
    }
    block.head.insert(block.head.end(), block.tail.begin(), block.tail.end());
    block.tail.clear();
    block.head.push_back(line);
    if (block.listLength < 0 && !block.indexed)
        return;
    IniSyntax::FoldedBytes folded;
    const QByteArrayView text = textOf(line);
    IniSyntax::foldName(text.begin(), text.begin() + line.equals, folded);
    addKey(block, QByteArrayView(folded.constData(), folded.size()));
}

qsizetype IniDocument::endingSize(Ending ending)
{
    switch (ending) {
    case Ending::CrLf:
        return 2;
    case Ending::Lf:
    case Ending::Cr:
        return 1;
    case Ending::None:
        break;
    }
    return 0;
}

template<typename Self, typename Visit> void IniDocument::forEachLine(Self& self, Visit visit)
{
    for (auto& line : self.m_preamble)
        visit(line);
    for (const auto& block : self.m_blocks) {
        visit(block->header);
        for (auto& line : block->head)
            visit(line);
        for (auto& line : block->tail)
            visit(line);
    }
}

qsizetype IniDocument::textSize() const
{
    qsizetype size = 0;
    forEachLine(*this, [&size](const Line& line) { size += line.size + endingSize(line.ending); });
    return size;
}

void IniDocument::appendText(QByteArray& out) const
{
    forEachLine(*this, [this, &out](const Line& line) {
        out.append(textOf(line));
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
    });
}

QByteArray IniDocument::serialise() const
{
    QByteArray out;
    out.reserve(textSize());
    appendText(out);
    return out;
}

QByteArray IniDocument::compact()
{
    const qsizetype size = textSize();
    qsizetype unwritten = 0;
    forEachLine(*this, [&unwritten](const Line& line) {
        if (!line.written)
            unwritten += line.size;
    });
    QByteArray text;
    // When most of the text was written anew, as a saved list is, it goes into the buffer it was
    // parsed into: those pages are in memory already, where each 4 KiB of a new buffer costs a page
    // fault. The few lines still read from that buffer move out of its way first.
    if (m_source.isDetached() && 2 * unwritten < size) {
        m_written.reserve(m_written.size() + unwritten);
        forEachLine(*this, [this](Line& line) {
            if (line.written)
                return;
            const QByteArrayView bytes = textOf(line);
            line.start = m_written.size();
            line.written = true;
            m_written.append(bytes);
        });
        text = std::move(m_source);
        text.truncate(0); // keeps the allocation
    }
    text.reserve(size);
    appendText(text);
    qsizetype at = 0;
    forEachLine(*this, [&at](Line& line) {
        line.start = at;
        line.written = false;
        at += line.size + endingSize(line.ending);
    });
    m_source = text;
    m_written = QByteArray();
    return text;
}

bool IniDocument::isEmpty() const
{
    return m_preamble.empty() && m_blocks.empty();
}

std::optional<QByteArrayView> IniDocument::valueOf(const Block* block, QByteArrayView key) const
{
    if (!block)
        return std::nullopt;
    const int index = findKey(*block, key);
    if (index < 0)
        return std::nullopt;
    const Line& line = block->head[index];
    const QByteArrayView text = textOf(line);
    return IniSyntax::readValue(text.begin() + line.equals + 1, text.end());
}

QString IniDocument::value(const QString& section, const QString& key) const
{
    const QByteArray name = key.toUtf8();
    IniSyntax::FoldedBytes folded;
    IniSyntax::foldName(name.constBegin(), name.constEnd(), folded);
    const std::optional<QByteArrayView> value = valueOf(m_sections.value(IniSyntax::foldName(section)),
                                                        QByteArrayView(folded.constData(), folded.size()));
    if (!value)
        return {};
    return value->isEmpty() ? QLatin1String("") : IniEncoding::toText(*value);
}

TextList IniDocument::listValues(const QString& section, int count) const
{
    const Block* block = m_sections.value(IniSyntax::foldName(section));
    // Every value is part of one of the section's lines, so their bytes are room enough, and the
    // buffer never moves while the views into it are made.
    qsizetype room = 0;
    if (block) {
        for (const Line& line : block->head)
            room += line.size;
    }
    TextList list;
    list.buffer.reserve(room);
    list.values.reserve(count);
    for (int i = 0; i < count; ++i) {
        const std::optional<QByteArrayView> value = valueOf(block, ListKey(i).bytes());
        if (!value) {
            list.values.append(QByteArray());
            continue;
        }
        const qsizetype at = list.buffer.size();
        list.buffer.append(*value);
        list.values.append(QByteArray::fromRawData(list.buffer.constData() + at, value->size()));
    }
    return list;
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

IniDocument::Line IniDocument::writtenLine(QByteArrayView first, QByteArrayView second, QByteArrayView third,
                                           Kind kind)
{
    const qsizetype size = first.size() + second.size() + third.size();
    if (m_written.size() + size > m_written.capacity())
        m_written.reserve(std::max(2 * m_written.capacity(), m_written.size() + size));
    Line line{m_written.size(), size, -1, newLineEnding(), kind, true};
    m_written.append(first).append(second).append(third);
    return line;
}

IniDocument::Block* IniDocument::sectionForWriting(const QString& section)
{
    const QByteArray name = IniSyntax::trimmed(section.toUtf8());
    const QString folded = IniSyntax::foldName(name);
    if (Block* block = m_sections.value(folded))
        return block;
    Line* last = lastLine();
    auto added = std::make_unique<Block>();
    added->header = writtenLine("[", name, "]", Kind::Section);
    giveEnding(last, added->header.ending);
    added->name = folded;
    added->firstOfName = true;
    m_sections.insert(folded, added.get());
    m_blocks.push_back(std::move(added));
    return m_blocks.back().get();
}

bool IniDocument::setValueIn(Block& block, QByteArrayView key, const QByteArray& utf8Value)
{
    const char* keyBegin = key.begin();
    const char* keyEnd = key.end();
    IniSyntax::trim(keyBegin, keyEnd);
    IniSyntax::FoldedBytes folded;
    IniSyntax::foldName(keyBegin, keyEnd, folded);
    const QByteArrayView name(folded.constData(), folded.size());
    const QByteArray stored = IniSyntax::storedValue(utf8Value);

    const int index = findKey(block, name);
    if (index >= 0) {
        Line& line = block.head[index];
        if (textOf(line).sliced(line.equals + 1) == QByteArrayView(stored))
            return false;
        // The key keeps its spelling; its bytes may be in m_written, which the write may move.
        const QByteArrayView oldKey = textOf(line).first(line.equals + 1);
        const QVarLengthArray<char, 64> keyPart(oldKey.begin(), oldKey.end());
        const Line written =
            writtenLine(QByteArrayView(keyPart.constData(), keyPart.size()), stored, {}, Kind::Key);
        line.start = written.start;
        line.size = written.size;
        line.written = true;
        return true;
    }
    Line added = writtenLine(QByteArrayView(keyBegin, keyEnd), "=", stored, Kind::Key);
    added.equals = int(keyEnd - keyBegin);
    giveEnding(block.head.empty() ? &block.header : &block.head.back(), added.ending);
    block.head.push_back(added);
    if (!block.tail.empty() && joinsIntoCrLf(block.head.back(), block.tail.front())) {
        block.head.back().ending = Ending::CrLf;
        block.tail.pop_front();
    }
    addKey(block, name);
    return true;
}

bool IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    return setValueIn(*sectionForWriting(section), key.toUtf8(), value.toUtf8());
}

bool IniDocument::setListValues(const QString& section, const QByteArrayList& utf8Values)
{
    if (utf8Values.isEmpty())
        return false;
    Block& block = *sectionForWriting(section);
    if (block.indexed)
        block.keys.reserve(qsizetype(block.head.size()) + utf8Values.size());
    // Each line: a value, a key of up to ten digits, "=" and perhaps a pair of quotes.
    qsizetype room = 0;
    for (const QByteArray& value : utf8Values)
        room += value.size() + 13;
    reserveWrites(room);
    bool changed = false;
    for (int i = 0; i < utf8Values.size(); ++i)
        changed |= setValueIn(block, ListKey(i).bytes(), utf8Values[i]);
    return changed;
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

void IniDocument::reserveWrites(qsizetype bytes)
{
    m_written.reserve(m_written.size() + bytes);
}

bool IniDocument::joinsIntoCrLf(const Line& first, const Line& second)
{
    // A lone CR followed by an empty LF line is one CRLF once written out. Lines that come to meet
    // that way are joined, as a re-read would, so later edits do not depend on whether the file
    // was read again in between.
    return first.ending == Ending::Cr && second.size == 0 && second.ending == Ending::Lf;
}

void IniDocument::appendSurvivor(Block* previous, Line line)
{
    Line* last = previous ? lastLineOf(*previous) : (m_preamble.empty() ? nullptr : &m_preamble.back());
    if (last && joinsIntoCrLf(*last, line)) {
        last->ending = Ending::CrLf;
        return;
    }
    if (previous)
        previous->tail.push_back(line);
    else
        m_preamble.push_back(line);
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
        for (const Line& line : block->head) {
            if (line.kind != Kind::Key)
                appendSurvivor(previous, line);
        }
        for (const Line& line : block->tail)
            appendSurvivor(previous, line);
    }
    m_blocks = std::move(kept);
    m_sections.remove(name);
    return true;
}
