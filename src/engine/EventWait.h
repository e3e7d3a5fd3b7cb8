// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

/** Waiting on the user-interface thread without freezing it. */
class EventWait
{
public:
    virtual ~EventWait() = default;
    /** Returns after `milliseconds`, handling pending window and timer events meanwhile. */
    virtual void wait(int milliseconds) = 0;
};
