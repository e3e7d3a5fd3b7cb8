// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniEditScript.h"

QList<IniEdit> IniEditScript::parse(const QByteArray& script)
{
    QList<IniEdit> edits;
    for (const QByteArray& line : script.split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() >= 4 && fields[0] == "w") {
            // the value keeps any further tabs
            const QByteArray value = line.mid(fields[0].size() + fields[1].size() + fields[2].size() + 3);
            edits.append(IniEdit::write(QString::fromUtf8(fields[1]), QString::fromUtf8(fields[2]),
                                        QString::fromUtf8(value)));
        } else if (fields.size() >= 2 && fields[0] == "l") {
            // the values as they are, so that bytes that are no UTF-8 reach the check
            edits.append(IniEdit::writeList(QString::fromUtf8(fields[1]), fields.mid(2)));
        } else if (fields.size() == 2 && fields[0] == "r") {
            edits.append(IniEdit::removeSection(QString::fromUtf8(fields[1])));
        }
    }
    return edits;
}

void IniEditScript::split(const QByteArray& input, QByteArray* file, QList<IniEdit>* edits)
{
    static const QByteArray separator = QByteArrayLiteral("\n%%\n");
    const qsizetype at = input.indexOf(separator);
    *file = at < 0 ? input : input.left(at);
    *edits = at < 0 ? QList<IniEdit>() : parse(input.mid(at + separator.size()));
}
