// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniPropertyCheck.h"

#include "IniEditScript.h"
#include "core/IniDocument.h"
#include "core/IniEncoding.h"
#include "core/IniSyntax.h"

#include <algorithm>

namespace {

bool writable(const IniEdit& edit)
{
    if (!IniSyntax::sectionProblem(edit.section).isEmpty())
        return false;
    if (edit.kind == IniEdit::Kind::WriteList)
        return std::all_of(edit.utf8Values.cbegin(), edit.utf8Values.cend(), [](const QByteArray& value) {
            return IniSyntax::valueProblem(QByteArrayView(value)).isEmpty();
        });
    return edit.kind == IniEdit::Kind::RemoveSection ||
           (IniSyntax::keyProblem(edit.key).isEmpty() && IniSyntax::valueProblem(edit.value).isEmpty());
}

/** A list write as the writes of its keys, one by one. */
QList<IniEdit> oneAtATime(const IniEdit& edit)
{
    if (edit.kind != IniEdit::Kind::WriteList)
        return {edit};
    QList<IniEdit> writes;
    for (qsizetype i = 0; i < edit.utf8Values.size(); ++i)
        writes.append(
            IniEdit::write(edit.section, QString::number(i), IniEncoding::toText(edit.utf8Values[i])));
    return writes;
}

} // namespace

QString IniPropertyCheck::check(const QByteArray& input)
{
    QByteArray file;
    QList<IniEdit> edits;
    IniEditScript::split(input, &file, &edits);

    const QByteArray text = IniEncoding::toUtf8(file, nullptr);
    IniDocument batch = IniDocument::parse(text);
    if (batch.serialise() != text)
        return QStringLiteral("parse then serialise changed the bytes");
    if (!IniEncoding::isUtf8(text))
        return QStringLiteral("the text held is not UTF-8");

    IniDocument single = IniDocument::parse(text);
    for (qsizetype at = 0; at < edits.size(); ++at) {
        const IniEdit& batchEdit = edits[at];
        if (!writable(batchEdit))
            continue;
        batch.apply(batchEdit);
        // A document that gathered its text in between takes the next edits the same way.
        if (at % 2 == 1 && batch.compact() != batch.serialise())
            return QStringLiteral("compacting changed the text");
        for (const IniEdit& edit : oneAtATime(batchEdit)) {
            single.apply(edit);
            single = IniDocument::parse(single.serialise());
            if (edit.kind == IniEdit::Kind::Write && single.value(edit.section, edit.key) != edit.value)
                return QStringLiteral("[%1] %2 reads back as \"%3\", not \"%4\"")
                    .arg(edit.section, edit.key, single.value(edit.section, edit.key), edit.value);
            if (edit.kind == IniEdit::Kind::RemoveSection && !single.value(edit.section, edit.key).isNull())
                return QStringLiteral("[%1] still has keys after its removal").arg(edit.section);
        }
    }
    if (batch.serialise() != single.serialise())
        return QStringLiteral("the batch differs from the edits made one at a time");
    return {};
}
