// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtFontChooser.h"

#include "FontChooserDialog.h"

std::optional<FontChoice> QtFontChooser::choose(const FontChoice& start, QWidget* parent)
{
    FontChooserDialog dialog(parent);
    dialog.setChoice(start);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}
