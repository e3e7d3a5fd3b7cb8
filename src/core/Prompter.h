// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

enum class PromptIcon { None, Information, Exclamation, Critical, Question };
enum class PromptButtons { Ok, OkCancel, YesNo, SaveDiscardCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No, Save, Discard };

/** Message boxes. Every box carries the program title "Tessaly". */
class Prompter
{
public:
    virtual ~Prompter() = default;
    /** Shows a modal message box and returns the button the user pressed. */
    virtual PromptAnswer ask(const QString& text, PromptButtons buttons, PromptIcon icon) = 0;
    /** Shows a message with an OK button. */
    void tell(const QString& text, PromptIcon icon) { ask(text, PromptButtons::Ok, icon); }
};
