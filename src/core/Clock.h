// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>

/** The wall clock, local time. Injected so schedules can be tested without waiting. */
class Clock
{
public:
    virtual ~Clock() = default;
    /** The current local date and time. */
    virtual QDateTime now() const = 0;
};
