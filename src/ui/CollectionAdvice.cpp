// SPDX-License-Identifier: GPL-3.0-or-later
#include "CollectionAdvice.h"

#include "Prompter.h"

#include <QString>

void CollectionAdvice::afterAdding(int count, Prompter& prompter)
{
    if (count <= Threshold || m_shown)
        return;
    prompter.tell(QStringLiteral("It is recommended that you should have less than 700 loaded images."),
                  PromptIcon::Exclamation);
    m_shown = true;
}
