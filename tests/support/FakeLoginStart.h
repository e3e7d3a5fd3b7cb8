// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "LoginStart.h"

/** A login entry held in memory; changing it can be made to fail. */
class FakeLoginStart final : public LoginStart
{
public:
    bool isOn() const override { return on; }
    Result<> setOn(bool wanted) override
    {
        if (failing)
            return Failure{FailureKind::Denied, QStringLiteral("/x/autostart: Permission denied"), {}};
        on = wanted;
        return {};
    }
    bool on = true;
    bool failing = false;
};
