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

void ShuffleOrder::remap(const QList<int>& newPositionOf, int newCount)
{
    // A round of a list of another size is dealt anew at the next change anyway.
    if (m_count != newPositionOf.size() || m_remaining.isEmpty())
        return;
    QList<bool> known(newCount, false);
    for (int to : newPositionOf) {
        if (to >= 0 && to < newCount)
            known[to] = true;
    }
    QList<int> remaining;
    // Dealt from the back: the new pictures come after those left of the round.
    for (int position = 0; position < newCount; ++position) {
        if (!known.at(position))
            remaining.append(position);
    }
    for (int old : std::as_const(m_remaining)) {
        if (const int to = newPositionOf.value(old, -1); to >= 0)
            remaining.append(to);
    }
    m_remaining = std::move(remaining);
    m_count = newCount;
}
