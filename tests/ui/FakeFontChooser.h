// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FontChooser.h"

#include <QList>

/** Answers the font chooser in advance (nothing: the user cancels) and records what it was primed with. */
class FakeFontChooser final : public FontChooser
{
public:
    std::optional<FontChoice> choose(const FontChoice& start, QWidget*) override
    {
        primed.append(start);
        return answer;
    }

    std::optional<FontChoice> answer;
    QList<FontChoice> primed;
};
