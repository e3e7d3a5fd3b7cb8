// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FontChoice.h"

#include <optional>

class QWidget;

/** Lets the user pick a caption font: face, size 10 to 48 points, four styles and a colour. */
class FontChooser
{
public:
    static constexpr double MinimumSize = 10;
    static constexpr double MaximumSize = 48;

    virtual ~FontChooser() = default;
    /** Shows the chooser primed with start; nothing when the user cancels. */
    virtual std::optional<FontChoice> choose(const FontChoice& start, QWidget* parent) = 0;
};
