// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniPropertyCheck.h"

#include "IniEditScript.h"
#include "core/IniDocument.h"
#include "core/IniEncoding.h"
#include "core/IniSyntax.h"

namespace {

bool writable(const IniEdit& edit)
{
    if (!IniSyntax::sectionProblem(edit.section).isEmpty())
        return false;
    return edit.kind == IniEdit::Kind::RemoveSection ||
           (IniSyntax::keyProblem(edit.key).isEmpty() && IniSyntax::valueProblem(edit.value).isEmpty());
}

void applyTo(IniDocument& doc, const IniEdit& edit)
{
    if (edit.kind == IniEdit::Kind::Write)
        doc.setValue(edit.section, edit.key, edit.value);
    else
        doc.removeSection(edit.section);
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
    for (const IniEdit& edit : std::as_const(edits)) {
        if (!writable(edit))
            continue;
        applyTo(batch, edit);
        applyTo(single, edit);
        single = IniDocument::parse(single.serialise());
        if (edit.kind == IniEdit::Kind::Write && single.value(edit.section, edit.key) != edit.value)
            return QStringLiteral("[%1] %2 reads back as \"%3\", not \"%4\"")
                .arg(edit.section, edit.key, single.value(edit.section, edit.key), edit.value);
        if (edit.kind == IniEdit::Kind::RemoveSection && !single.value(edit.section, edit.key).isNull())
            return QStringLiteral("[%1] still has keys after its removal").arg(edit.section);
    }
    if (batch.serialise() != single.serialise())
        return QStringLiteral("the batch differs from the edits made one at a time");
    return {};
}
