// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <deque>
#include <memory>
#include <vector>

/**
 * A settings file's text held as lines, each with its exact bytes and line end, so that a write
 * changes only the lines it must and serialise() gives back every other byte as it was read.
 * Lookups follow the profile functions: the first section of a name and the first key of a name
 * win, and names compare trimmed and without regard to letter case. Sections and keys are indexed
 * by name, so a write costs the same whatever the size of the file.
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
    bool isEmpty() const;

    /** The value of section/key, whole and unquoted; a null string when the key is missing. */
    QString value(const QString& section, const QString& key) const;
    /** The values of several keys of one section; empty text for those missing. */
    QStringList values(const QString& section, const QStringList& keys) const;
    /**
     * Writes a value the names of which IniSyntax accepts: the key's line is replaced, or a new one
     * goes after the section's last key line, or a new section is appended. True when the text changed.
     */
    bool setValue(const QString& section, const QString& key, const QString& value);
    /** Removes the header and key lines of every section of that name. True when the text changed. */
    bool removeSection(const QString& section);

private:
    enum class Ending : quint8 { None, Lf, CrLf, Cr };
    enum class Kind : quint8 { Other, Section, Key };
    struct Line
    {
        QByteArray text;
        Ending ending = Ending::None;
        Kind kind = Kind::Other;
        int equals = -1;
    };
    // A section: its header, the lines up to its last key line, and the lines after that.
    struct Block
    {
        Line header;
        QString name;
        std::vector<Line> head;
        std::deque<Line> tail;
        QHash<QString, int> keys;
        bool firstOfName = false; // only the first section of a name is ever looked up
    };

    static QString valueOf(const Block* block, const QString& key);
    static Line classify(QByteArray text, Ending ending);
    static QString sectionName(const Line& header);
    static QByteArray endingBytes(Ending ending);
    void addLine(Line line);
    static void indexKey(Block& block, int index, const QString& name);
    Ending newLineEnding() const;
    Line* lastLine();
    static Line* lastLineOf(Block& block);
    void giveEnding(Line* line, Ending ending);
    void appendSurvivor(Block* previous, Line line);
    static bool joinsIntoCrLf(const Line& first, const Line& second);

    // The text as parsed: unchanged lines point into it instead of holding copies of their own.
    QByteArray m_source;
    std::vector<Line> m_preamble;
    std::vector<std::unique_ptr<Block>> m_blocks;
    QHash<QString, Block*> m_sections;
};
