// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>

class RandomSource;

/**
 * "Random, each once": every picture of the list once, in a shuffled order, before any comes again.
 * The round lives in memory only; a new list size or a restart starts a new round.
 */
class ShuffleOrder
{
public:
    /** The stored order mode. An older copy reads text that is not a number as list order. */
    static constexpr const char* StoredValue = "shuffle";

    /** The next position of the round among `count`; a new round never starts with `current`. */
    int next(int count, int current, RandomSource& random);
    /**
     * The list was edited: the round goes on with the pictures it had left at their new places, those
     * removed taken out, and the new ones still to come in it.
     */
    void remap(const QList<int>& newPositionOf, int newCount);

private:
    void deal(int count, int current, RandomSource& random);

    QList<int> m_remaining;
    int m_count = 0;
};
