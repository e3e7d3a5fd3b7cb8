// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/IniEdit.h"

#include <QByteArray>
#include <QList>

/**
 * Edits written as text, one a line: "w<TAB>section<TAB>key<TAB>value" writes a value,
 * "l<TAB>section<TAB>value0<TAB>value1…" writes a list under the keys "0", "1", …,
 * "r<TAB>section" removes a section; other lines are ignored. A fuzz input is a file's bytes,
 * then a line "%%", then such a script.
 */
class IniEditScript
{
public:
    static QList<IniEdit> parse(const QByteArray& script);
    /** Splits a fuzz input into the file's bytes and the edits. */
    static void split(const QByteArray& input, QByteArray* file, QList<IniEdit>* edits);
};
