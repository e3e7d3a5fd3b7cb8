// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "IniEdit.h"
#include "TextList.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <QHash>
#include <QMultiHash>
#include <QString>
#include <QStringList>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

/**
 * A settings file's text held as lines, each with its exact bytes and line end, so that a write
 * changes only the lines it must and serialise() gives back every other byte as it was read.
 * Lookups follow the profile functions: the first section of a name and the first key of a name
 * win, and names compare trimmed and without regard to letter case. Sections are indexed by name;
 * a section's keys are found by their number while it holds a list as one is saved, and otherwise
 * through an index built at the first lookup. Either way a write costs the same whatever the size
 * of the file.
 */
class IniDocument
{
public:
    IniDocument();
    ~IniDocument();
    IniDocument(IniDocument&&) noexcept;
    IniDocument& operator=(IniDocument&&) noexcept;
    IniDocument(const IniDocument&) = delete;
    IniDocument& operator=(const IniDocument&) = delete;

    /** Splits UTF-8 text into lines at CRLF, LF or a lone CR. */
    static IniDocument parse(const QByteArray& utf8);
    /** The text, byte for byte as parsed apart from the changes made since. */
    QByteArray serialise() const;
    /**
     * The same text as serialise(), which the document then keeps as its own: the bytes that edits
     * wrote since the last call are let go, so a document edited and saved over and over does not grow.
     */
    QByteArray compact();
    bool isEmpty() const;

    /** The value of section/key, whole and unquoted; a null string when the key is missing. */
    QString value(const QString& section, const QString& key) const;
    /**
     * The values of keys "0" to "count - 1" of one section, a list as stored, in UTF-8, whole and
     * unquoted; empty for those missing. They share one buffer.
     */
    TextList listValues(const QString& section, int count) const;
    /**
     * Writes a value the names of which IniSyntax accepts: the key's line is replaced, or a new one
     * goes after the section's last key line, or a new section is appended. True when the text changed.
     */
    bool setValue(const QString& section, const QString& key, const QString& value);
    /** Writes the UTF-8 text utf8Values[i] under key "i" for each i in order, as setValue() one at a time
     * would. */
    bool setListValues(const QString& section, const QByteArrayList& utf8Values);
    /** Applies one edit as setValue(), setListValues() or removeSection() does. True when the text changed.
     */
    bool apply(const IniEdit& edit);
    /** Makes room for about that many bytes of lines to be written, so that a batch grows the text once. */
    void reserveWrites(qsizetype bytes);
    /** Removes the header and key lines of every section of that name. True when the text changed. */
    bool removeSection(const QString& section);

private:
    enum class Ending : quint8 { None, Lf, CrLf, Cr };
    enum class Kind : quint8 { Other, Section, Key };
    // A line's bytes: a range of the text as parsed or, once the line was written, of m_written.
    struct Line
    {
        qsizetype start = 0;
        qsizetype size = 0;
        int equals = -1; // where the '=' of a key line is
        Ending ending = Ending::None;
        Kind kind = Kind::Other;
        bool written = false;
    };
    // A section: its header, the lines up to its last key line, and the lines after that.
    struct Block
    {
        Line header;
        QString name;
        std::deque<Line> head;
        std::deque<Line> tail;
        bool firstOfName = false; // only the first section of a name is ever looked up
        // While head holds just the keys "0", "1", … in that order, as a saved list does, a key is
        // found by its number. Otherwise the index is built at the first lookup and kept from then on.
        int listLength = 0;                   // -1 once head is not such a list
        mutable QMultiHash<size_t, int> keys; // hash of the folded name to the line in head
        mutable bool indexed = false;
    };

    QByteArrayView textOf(const Line& line) const;
    int findKey(const Block& block, QByteArrayView folded) const;
    void indexKeys(const Block& block) const;
    static void addKey(Block& block, QByteArrayView folded);
    std::optional<QByteArrayView> valueOf(const Block* block, QByteArrayView key) const;
    Line classify(qsizetype start, qsizetype size, Ending ending) const;
    QString sectionName(const Line& header) const;
    void addLine(const Line& line);
    Block* sectionForWriting(const QString& section);
    bool setValueIn(Block& block, QByteArrayView key, const QByteArray& utf8Value);
    Line writtenLine(QByteArrayView first, QByteArrayView second, QByteArrayView third, Kind kind);
    static qsizetype endingSize(Ending ending);
    Ending newLineEnding() const;
    Line* lastLine();
    static Line* lastLineOf(Block& block);
    void giveEnding(Line* line, Ending ending);
    void appendSurvivor(Block* previous, Line line);
    static bool joinsIntoCrLf(const Line& first, const Line& second);
    template<typename Self, typename Visit> static void forEachLine(Self& self, Visit visit);
    qsizetype textSize() const;
    void appendText(QByteArray& out) const;

    // The text as parsed: unchanged lines point into it instead of holding copies of their own.
    QByteArray m_source;
    // The bytes of the lines written since.
    QByteArray m_written;
    std::vector<Line> m_preamble;
    std::vector<std::unique_ptr<Block>> m_blocks;
    QHash<QString, Block*> m_sections;
};
