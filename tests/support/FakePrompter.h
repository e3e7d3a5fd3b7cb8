// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Prompter.h"

#include <QList>
#include <QStringList>

/** Answers message boxes in advance and records every box shown. */
class FakePrompter final : public Prompter
{
public:
    struct Shown
    {
        QString text;
        PromptButtons buttons;
        PromptIcon icon;
    };

    PromptAnswer ask(const QString& text, PromptButtons buttons, PromptIcon icon) override
    {
        m_shown.append({text, buttons, icon});
        if (!m_answers.isEmpty())
            return m_answers.takeFirst();
        if (buttons == PromptButtons::SaveDiscardCancel)
            return PromptAnswer::Save;
        return buttons == PromptButtons::YesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
    }
    /** Queues the answers of the next boxes; with none queued, a box answers Ok, Yes or Save. */
    void answer(std::initializer_list<PromptAnswer> answers) { m_answers.append(answers); }
    const QList<Shown>& shown() const { return m_shown; }
    /** The texts shown so far. */
    QStringList texts() const
    {
        QStringList result;
        for (const Shown& box : m_shown)
            result << box.text;
        return result;
    }
    void clear() { m_shown.clear(); }

private:
    QList<PromptAnswer> m_answers;
    QList<Shown> m_shown;
};
