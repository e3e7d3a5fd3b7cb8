// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FontChoice.h"

#include <optional>

class QWidget;

/** Lets the user pick a caption font: face, a size the settings file allows, four styles and a colour. */
class FontChooser
{
public:
    virtual ~FontChooser() = default;
    /** Shows the chooser primed with start; nothing when the user cancels. */
    virtual std::optional<FontChoice> choose(const FontChoice& start, QWidget* parent) = 0;
};
