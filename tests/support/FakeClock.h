// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Clock.h"

/** A clock that stands still until a test moves it. */
class FakeClock final : public Clock
{
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 3, 14), QTime(9, 0))) : m_now(std::move(start))
    {}
    QDateTime now() const override { return m_now; }
    void set(const QDateTime& when) { m_now = when; }

private:
    QDateTime m_now;
};
