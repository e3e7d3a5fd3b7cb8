// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>

class CheckedSettings;

/** The caption's look as the settings give it. */
struct CaptionFont
{
    QFont font;
    QColor colour;

    /**
     * Face, points, bold, italic, underline, strikethrough and colour from the checked settings. A face
     * that is not installed is left to the system's font substitution.
     */
    static CaptionFont from(const CheckedSettings& settings);
};
