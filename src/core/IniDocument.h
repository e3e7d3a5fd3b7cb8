// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "IniEdit.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <QString>

#include <vector>

/**
 * A settings file's text held as lines, each with its exact bytes and line end, so that a write
 * changes only the lines it must and serialise() gives back every other byte as it was read.
 * Lookups follow the profile functions: the first section of a name and the first key of a name
 * win, and names compare trimmed and without regard to letter case. Every lookup and every write,
 * a whole list's included, is one pass over the lines.
 */
class IniDocument
{
public:
    /** Splits UTF-8 text into lines at CRLF, LF or a lone CR. */
    static IniDocument parse(const QByteArray& utf8);
    /** The text, byte for byte as parsed apart from the changes made since. */
    QByteArray serialise() const;

    /** The value of section/key, whole and unquoted; a null string when the key is missing. */
    QString value(const QString& section, const QString& key) const;
    /**
     * The values of keys "0" to "count - 1" of one section, a list as stored, in UTF-8, whole and
     * unquoted; empty for those missing.
     */
    QByteArrayList listValues(const QString& section, int count) const;
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
    /** Removes the header and key lines of every section of that name. True when the text changed. */
    bool removeSection(const QString& section);

private:
    struct Line
    {
        // Lines as parsed are views into m_source; written ones hold their own bytes.
        QByteArray text;
        QByteArrayView ending; // "\n", "\r\n", "\r", or empty on a last line without one
        bool header = false;
        int equals = -1; // where the '=' of a key line is; -1 on other lines
    };
    // The lines of a section: its header, and the lines up to the next header.
    struct Range
    {
        qsizetype header = -1; // -1 when there is no such section
        qsizetype end = -1;
    };

    static Line line(QByteArray text, QByteArrayView ending);
    static QByteArrayView sectionName(const Line& header);
    static QByteArrayView keyName(const Line& key);
    static QByteArrayView valueOf(const Line& key);
    Range find(QByteArrayView foldedSection) const;
    qsizetype findKey(Range range, QByteArrayView foldedKey) const;
    /** For each position below count, the first line of the section that holds that key, or -1. */
    std::vector<qsizetype> listLines(Range range, qsizetype count) const;
    Range sectionForWriting(const QString& section);
    QByteArrayView newLineEnding() const;
    void giveEnding(qsizetype at, QByteArrayView ending);
    static bool replaceValue(Line& key, const QByteArray& stored);
    /** Puts new key lines after the section's last key line, as written one at a time. */
    void insertKeys(Range range, std::vector<Line> added);
    static bool joinsIntoCrLf(const Line& first, const Line& second);

    // The text as parsed, which unchanged lines and their endings point into.
    QByteArray m_source;
    std::vector<Line> m_lines;
};
