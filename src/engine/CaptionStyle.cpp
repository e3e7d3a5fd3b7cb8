// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptionStyle.h"

#include "CheckedSettings.h"

CaptionStyle CaptionStyle::from(const CheckedSettings& settings)
{
    return {Effect(settings.integer(&Settings::captionEffect)), settings.flag(&Settings::automaticColour)};
}
