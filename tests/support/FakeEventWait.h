// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/EventWait.h"

#include <QList>
#include <functional>
#include <utility>

/** Returns at once, recording each wait; can run a callback during a wait, as a pending event would. */
class FakeEventWait final : public EventWait
{
public:
    void wait(int milliseconds) override
    {
        m_waits.append(milliseconds);
        if (m_event)
            std::exchange(m_event, nullptr)();
    }
    /** Runs `event` during the next wait only. */
    void duringNextWait(std::function<void()> event) { m_event = std::move(event); }
    const QList<int>& waits() const { return m_waits; }

private:
    QList<int> m_waits;
    std::function<void()> m_event;
};
