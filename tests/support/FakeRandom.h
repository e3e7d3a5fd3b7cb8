// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "RandomSource.h"

#include <QList>

/** Returns queued numbers in order (then 0), and counts re-seeds. */
class FakeRandom final : public RandomSource
{
public:
    void randomize() override { ++m_seeds; }
    float next() override { return m_values.isEmpty() ? 0.0f : m_values.takeFirst(); }
    void queue(std::initializer_list<float> values) { m_values.append(values); }
    int seeds() const { return m_seeds; }

private:
    QList<float> m_values;
    int m_seeds = 0;
};
