// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class CheckedSettings;

/** What makes a caption on the picture readable, as the settings give it; plain when they say nothing. */
struct CaptionStyle
{
    /** As stored in "captionEffect". */
    enum class Effect { None = 0, Outline = 1, Shadow = 2, Backdrop = 3 };

    Effect effect = Effect::None;
    /** Black or white letters, whichever the picture under them needs, instead of the user's colour. */
    bool automaticColour = false;

    bool isPlain() const { return effect == Effect::None && !automaticColour; }

    static CaptionStyle from(const CheckedSettings& settings);
};
