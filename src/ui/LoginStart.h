// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Result.h"

#include <QString>

/** Whether the program starts when the user logs in, as the system keeps it. */
class LoginStart
{
public:
    virtual ~LoginStart() = default;
    /** Whether the program starts at login now. */
    virtual bool isOn() const = 0;
    /** Starts it at login or stops doing so; the failure names the place and the reason. */
    virtual Result<> setOn(bool on) = 0;
};
