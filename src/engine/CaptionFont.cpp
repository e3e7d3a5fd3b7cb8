// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptionFont.h"

#include "SettingValue.h"
#include "Settings.h"
#include "SettingsSchema.h"

#include <cmath>

std::optional<CaptionFont> CaptionFont::fromSettings(const Settings& settings)
{
    const std::optional<double> points = SettingValue::toNumber(settings.newFontSize);
    const std::optional<bool> bold = SettingValue::toFlag(settings.newFontBold);
    const std::optional<bool> italic = SettingValue::toFlag(settings.newFontItalic);
    const std::optional<bool> underline = SettingValue::toFlag(settings.newFontUnderline);
    const std::optional<bool> strikeOut = SettingValue::toFlag(settings.newFontFontStrikethru);
    const std::optional<qint32> colour = SettingValue::toColour(settings.newFontForeColor);
    if (!points || !bold || !italic || !underline || !strikeOut || !colour)
        return std::nullopt;
    // A font of no size cannot be drawn or measured; the table's largest keeps glyphs within what the
    // rasteriser handles.
    if (!std::isfinite(*points) || *points <= 0 || *points > SettingsSchema::of(&Settings::newFontSize).high)
        return std::nullopt;

    CaptionFont caption;
    caption.font.setFamily(settings.newFontName);
    caption.font.setPointSizeF(*points);
    caption.font.setBold(*bold);
    caption.font.setItalic(*italic);
    caption.font.setUnderline(*underline);
    caption.font.setStrikeOut(*strikeOut);
    caption.colour = colourFromStored(*colour);
    return caption;
}

QColor CaptionFont::colourFromStored(qint32 stored)
{
    const auto value = quint32(stored);
    return QColor(int(value & 0xff), int((value >> 8) & 0xff), int((value >> 16) & 0xff));
}
