// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakePrompter.h"

#include <QStringList>

PromptAnswer FakePrompter::ask(const QString& text, PromptButtons buttons, PromptIcon icon)
{
    m_shown.append({text, buttons, icon});
    if (!m_answers.isEmpty())
        return m_answers.takeFirst();
    return buttons == PromptButtons::YesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
}

QStringList FakePrompter::texts() const
{
    QStringList result;
    for (const Shown& box : m_shown)
        result << box.text;
    return result;
}
