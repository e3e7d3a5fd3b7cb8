// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScreenInfo.h"

/** The primary screen as QGuiApplication reports it. */
class PrimaryScreenInfo final : public ScreenInfo
{
public:
    ScreenGeometry primary() const override;
};
