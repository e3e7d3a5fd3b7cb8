// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShuffleOrder.h"

#include "RandomSource.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

/** A uniform whole number in 0 … bound − 1. */
int below(int bound, RandomSource& random)
{
    const auto drawn = static_cast<int>(std::floor(double(bound) * double(random.next())));
    return std::clamp(drawn, 0, bound - 1);
}

} // namespace

int ShuffleOrder::next(int count, int current, RandomSource& random)
{
    if (count <= 0)
        return 0;
    if (count != m_count || m_remaining.isEmpty())
        deal(count, current, random);
    return m_remaining.takeLast();
}

void ShuffleOrder::deal(int count, int current, RandomSource& random)
{
    m_count = count;
    m_remaining.resize(count);
    std::iota(m_remaining.begin(), m_remaining.end(), 0);
    // Fisher–Yates; the round is dealt from the back.
    for (int i = count - 1; i > 0; --i)
        std::swap(m_remaining[i], m_remaining[below(i + 1, random)]);
    // The picture on screen would otherwise come twice in a row across the two rounds.
    if (count > 1 && m_remaining.last() == current)
        std::swap(m_remaining.last(), m_remaining[below(count - 1, random)]);
}
