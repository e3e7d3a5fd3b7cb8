// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/SettingsFile.h"

/** The list save the crash test's child repeats; marker tells two lists of the same length apart. */
inline QList<IniEdit> crashTestList(int entries, QChar marker)
{
    QList<IniEdit> edits{IniEdit::write("total", "total", QString::number(entries)),
                         IniEdit::removeSection("images")};
    for (int i = 0; i < entries; ++i)
        edits.append(IniEdit::write(
            "images", QString::number(i),
            QStringLiteral("/home/user/Pictures/%1/some rather long folder name/%2.jpg").arg(marker).arg(i)));
    edits.append(IniEdit::removeSection("caption"));
    for (int i = 0; i < entries; ++i)
        edits.append(IniEdit::write("caption", QString::number(i),
                                    QStringLiteral("caption %1 %2").arg(marker).arg(i)));
    return edits;
}
