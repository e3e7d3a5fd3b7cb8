// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <optional>

struct Settings;

/** The caption's look as the settings give it. */
struct CaptionFont
{
    QFont font;
    QColor colour;

    /**
     * Face, points, bold, italic, underline, strikethrough and the red-lowest colour from the
     * settings record; nothing when one of them does not read as its type. A face that is not
     * installed is left to the system's font substitution.
     */
    static std::optional<CaptionFont> fromSettings(const Settings& settings);
    /** A colour stored as red + 256 * green + 65536 * blue. */
    static QColor colourFromStored(qint32 stored);
};
