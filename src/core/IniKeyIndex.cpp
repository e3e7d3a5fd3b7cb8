// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniKeyIndex.h"

#include <utility>

void IniKeyIndex::insertStored(quint32 hash, int line)
{
    // At most half full, so a search meets an empty slot soon.
    if (2 * (m_count + 1) > qsizetype(m_slots.size()))
        rebuild(m_slots.empty() ? 16 : 2 * m_slots.size());
    const size_t mask = m_slots.size() - 1;
    size_t at = hash & mask;
    while (m_slots[at].line >= 0)
        at = (at + 1) & mask;
    m_slots[at] = Slot{hash, line};
    ++m_count;
}

void IniKeyIndex::reserve(qsizetype count)
{
    size_t slots = m_slots.empty() ? 16 : m_slots.size();
    while (qsizetype(slots) < 2 * count)
        slots *= 2;
    if (slots > m_slots.size())
        rebuild(slots);
}

void IniKeyIndex::rebuild(size_t slots)
{
    std::vector<Slot> old = std::exchange(m_slots, std::vector<Slot>(slots));
    m_count = 0;
    for (const Slot& slot : old) {
        if (slot.line >= 0)
            insertStored(slot.hash, slot.line);
    }
}
