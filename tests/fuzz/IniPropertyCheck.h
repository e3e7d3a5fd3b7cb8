// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/IniEdit.h"

#include <QList>

/** The settings-file document's properties, checked on a fuzz input: a file's bytes, "\n%%\n", edits. */
class IniPropertyCheck
{
public:
    /** Edits one a line: "w\tsection\tkey\tvalue", "l\tsection\tvalue0\tvalue1…" (keys 0, 1, …),
     * "r\tsection". */
    static QList<IniEdit> edits(const QByteArray& script);
    /** Parse then serialise keeps the bytes; a batch of edits equals the same edits one at a time with the
     *  text read again in between; each value reads back as written. Returns what broke, or empty text. */
    static QString check(const QByteArray& input);
};
