// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "LoginStart.h"

/** A login entry held in memory; changing it can be made to fail. */
class FakeLoginStart final : public LoginStart
{
public:
    bool isOn() const override { return on; }
    bool setOn(bool wanted, QString* error) override
    {
        if (failing)
            *error = QStringLiteral("/x/autostart: Permission denied");
        else
            on = wanted;
        return !failing;
    }
    bool on = true;
    bool failing = false;
};
