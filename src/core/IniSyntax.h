// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QVarLengthArray>

/**
 * The small rules of the profile-file syntax, on UTF-8 bytes: what counts as a blank, how names
 * compare, how a value is quoted so that it reads back exactly, and which names and values may
 * be written at all.
 */
class IniSyntax
{
public:
    /** Spaces, tabs, vertical tabs and byte-order marks are trimmed around names and values. */
    static void trim(const char*& begin, const char*& end);
    static QByteArray trimmed(const QByteArray& bytes);
    /** The form two names are compared in: trimmed and case-folded. */
    static QString foldName(const char* begin, const char* end);
    static QString foldName(const QByteArray& bytes) { return foldName(bytes.constData(), bytes.constEnd()); }
    /** The same as foldName() of the name's UTF-8 bytes. */
    static QString foldName(const QString& name);
    /** Room for a folded name; names up to 64 bytes need no allocation. */
    using FoldedBytes = QVarLengthArray<char, 64>;
    /** The UTF-8 bytes of foldName(begin, end), into out. */
    static void foldName(const char* begin, const char* end, FoldedBytes& out);
    /** The number a folded name "0", "1", … "2147483647" stands for, written as a list writes it; -1
     * otherwise. */
    static int listPosition(QByteArrayView folded);
    /** Whether the name from begin to end folds to the bytes given. */
    static bool sameName(const char* begin, const char* end, QByteArrayView folded);
    /** A stored value as read, in UTF-8: trimmed, with one matching outer pair of quotes removed. */
    static QByteArrayView readValue(const char* begin, const char* end);
    /** The bytes to store after "=" so that readValue() gives the UTF-8 value back exactly. */
    static QByteArray storedValue(const QByteArray& utf8);
    /** Why a section name cannot be written, or empty text when it can. */
    static QString sectionProblem(const QString& section);
    /** Why a key cannot be written, or empty text when it can. */
    static QString keyProblem(const QString& key);
    /** Why a value cannot be written, or empty text when it can. */
    static QString valueProblem(const QString& value);
    /** Why a value in UTF-8 cannot be written, or empty text when it can. */
    static QString valueProblem(QByteArrayView utf8);
};
