// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/EventWait.h"

#include <QList>

/** Returns at once, recording each wait. */
class FakeEventWait final : public EventWait
{
public:
    void wait(int milliseconds) override { m_waits.append(milliseconds); }
    const QList<int>& waits() const { return m_waits; }

private:
    QList<int> m_waits;
};
