// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Prompter.h"

/** Message boxes with QMessageBox, titled "Tessaly". */
class MessageBoxPrompter final : public Prompter
{
public:
    PromptAnswer ask(const QString& text, PromptButtons buttons, PromptIcon icon) override;
};
