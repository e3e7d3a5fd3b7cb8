// SPDX-License-Identifier: GPL-3.0-or-later
#include "StartFailure.h"

#include "Prompter.h"

#include <cstdio>

void StartFailure::tell(Prompter& prompter, const QString& text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
    prompter.tell(text, PromptIcon::Critical);
}
