// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

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
    /** A stored value as read: trimmed, with one matching outer pair of quotes removed. */
    static QString readValue(const char* begin, const char* end);
    /** The bytes to store after "=" so that readValue() gives the value back exactly. */
    static QByteArray storedValue(const QString& value);
    /** Why a section name cannot be written, or empty text when it can. */
    static QString sectionProblem(const QString& section);
    /** Why a key cannot be written, or empty text when it can. */
    static QString keyProblem(const QString& key);
    /** Why a value cannot be written, or empty text when it can. */
    static QString valueProblem(const QString& value);
};
