// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeEventWait.h"

#include <utility>

void FakeEventWait::wait(int milliseconds)
{
    m_waits.append(milliseconds);
    if (m_event) {
        const std::function<void()> event = std::exchange(m_event, nullptr);
        event();
    }
}
