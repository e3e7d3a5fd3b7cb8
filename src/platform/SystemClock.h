// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Clock.h"

class SystemClock final : public Clock
{
public:
    QDateTime now() const override;
};
