// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
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
    static QByteArrayView trimmed(QByteArrayView bytes);
    /** The form two names are compared in: trimmed and case-folded. */
    static QByteArray foldName(QByteArrayView name);
    /** Whether the name folds to the bytes given. */
    static bool sameName(QByteArrayView name, QByteArrayView folded);
    /** A stored value as read, in UTF-8: trimmed, with one matching outer pair of quotes removed. */
    static QByteArrayView readValue(QByteArrayView stored);
    /** The bytes to store after "=" so that readValue() gives the UTF-8 value back exactly. */
    static QByteArray storedValue(const QByteArray& utf8);
    /** Why a section name cannot be written, or empty text when it can. */
    static QString sectionProblem(const QString& section);
    /** Why a key cannot be written, or empty text when it can. */
    static QString keyProblem(const QString& key);
    /** Why a value in UTF-8 cannot be written, or empty text when it can. */
    static QString valueProblem(QByteArrayView utf8);
};
