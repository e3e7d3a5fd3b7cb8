// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "IniEdit.h"

#include <QList>

/** The settings-file document's properties, checked on a fuzz input: a file's bytes, "\n%%\n", edits. */
class IniPropertyCheck
{
public:
    /** Edits one a line: "w\tsection\tkey\tvalue", "l\tsection\tvalue0\tvalue1…" (keys 0, 1, …),
     * "r\tsection". */
    static QList<IniEdit> edits(const QByteArray& script);
    /** Bytes kept through parse and serialise; a batch of edits as one at a time, text read again in
     *  between; each value read back as written. Returns what broke, or empty text. */
    static QString check(const QByteArray& input);
};
