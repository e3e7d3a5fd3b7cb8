// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniPropertyCheck.h"

#include "IniDocument.h"
#include "IniEncoding.h"
#include "IniSyntax.h"

namespace {

bool writable(const IniEdit& edit)
{
    bool fine = IniSyntax::sectionProblem(edit.section).isEmpty();
    for (const QByteArray& value : edit.utf8Values)
        fine = fine && IniSyntax::valueProblem(value).isEmpty();
    return fine &&
           (edit.kind != IniEdit::Kind::Write || (IniSyntax::keyProblem(edit.key).isEmpty() &&
                                                  IniSyntax::valueProblem(edit.value.toUtf8()).isEmpty()));
}

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

QList<IniEdit> IniPropertyCheck::edits(const QByteArray& script)
{
    QList<IniEdit> edits;
    for (const QByteArray& line : script.split('\n')) {
        const QList<QByteArray> f = line.split('\t');
        if (f.size() >= 4 && f[0] == "w") // the value keeps any further tabs
            edits.append(IniEdit::write(QString::fromUtf8(f[1]), QString::fromUtf8(f[2]),
                                        QString::fromUtf8(line.mid(f[1].size() + f[2].size() + 4))));
        else if (f.size() >= 2 && f[0] == "l") // bytes that are no UTF-8 reach the check as they are
            edits.append(IniEdit::writeList(QString::fromUtf8(f[1]), f.mid(2)));
        else if (f.size() == 2 && f[0] == "r")
            edits.append(IniEdit::removeSection(QString::fromUtf8(f[1])));
    }
    return edits;
}

QString IniPropertyCheck::check(const QByteArray& input)
{
    const qsizetype at = input.indexOf("\n%%\n");
    const QByteArray text = IniEncoding::toUtf8(at < 0 ? input : input.left(at), nullptr);
    const QList<IniEdit> script = at < 0 ? QList<IniEdit>() : edits(input.mid(at + 4));
    IniDocument batch = IniDocument::parse(text);
    if (batch.serialise() != text || !IniEncoding::isUtf8(text))
        return QStringLiteral("parse then serialise changed the bytes, or they are not UTF-8");
    IniDocument single = IniDocument::parse(text);
    for (qsizetype i = 0; i < script.size(); ++i) {
        if (!writable(script[i]))
            continue;
        batch.apply(script[i]);
        for (const IniEdit& edit : oneAtATime(script[i])) {
            single.apply(edit);
            single = IniDocument::parse(single.serialise());
            const QString got = single.value(edit.section, edit.key);
            if (edit.kind == IniEdit::Kind::Write ? got != edit.value : !got.isNull())
                return QStringLiteral("[%1] %2 reads \"%3\" after the edit").arg(edit.section, edit.key, got);
        }
    }
    return batch.serialise() == single.serialise() ? QString()
                                                   : QStringLiteral("batch differs from one at a time");
}
