// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/IniEdit.h"

#include <QList>

/**
 * A fuzz input is a file's bytes, a line "%%", then edits one a line: "w<TAB>section<TAB>key<TAB>value",
 * "l<TAB>section<TAB>value0<TAB>value1…" (a list under keys "0", "1", …) or "r<TAB>section".
 */
class IniPropertyCheck
{
public:
    static QList<IniEdit> edits(const QByteArray& script);
    /** Parse then serialise keeps the bytes; a batch of edits equals the same edits one at a time with
     *  the text read again in between; each value reads back as written. Returns what broke, or empty. */
    static QString check(const QByteArray& input);
};
