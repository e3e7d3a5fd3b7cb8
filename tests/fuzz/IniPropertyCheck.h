// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

/**
 * The properties the settings-file document must keep on any input: parsing and writing back
 * gives the same bytes, a batch of edits gives the same bytes as the same edits one at a time
 * with the file read again in between, and every written value reads back as written.
 */
class IniPropertyCheck
{
public:
    /** Checks a fuzz input (see IniEditScript); returns what went wrong, or empty text. */
    static QString check(const QByteArray& input);
};
