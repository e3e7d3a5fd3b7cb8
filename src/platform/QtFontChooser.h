// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FontChooser.h"

/** The font chooser the program shows: a FontChooserDialog, run modal. */
class QtFontChooser final : public FontChooser
{
public:
    std::optional<FontChoice> choose(const FontChoice& start, QWidget* parent) override;
};
