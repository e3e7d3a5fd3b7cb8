// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "EventWait.h"

/** Runs a local event loop until a single-shot timer ends it. */
class QtEventWait final : public EventWait
{
public:
    void wait(int milliseconds) override;
};
