// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptionFont.h"

#include "CheckedSettings.h"
#include "StoredColour.h"

CaptionFont CaptionFont::from(const CheckedSettings& settings)
{
    CaptionFont caption;
    caption.font.setFamily(settings.text(&Settings::newFontName));
    caption.font.setPointSizeF(settings.number(&Settings::newFontSize));
    caption.font.setBold(settings.flag(&Settings::newFontBold));
    caption.font.setItalic(settings.flag(&Settings::newFontItalic));
    caption.font.setUnderline(settings.flag(&Settings::newFontUnderline));
    caption.font.setStrikeOut(settings.flag(&Settings::newFontFontStrikethru));
    caption.colour = StoredColour::toColor(settings.colour(&Settings::newFontForeColor));
    return caption;
}
