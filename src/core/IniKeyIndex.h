// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <vector>

/**
 * Finds a section's key lines by name. A slot holds only the hash of a key's folded name and the
 * key's line number, so a section of tens of thousands of keys costs no string per key; names whose
 * hashes are equal are told apart by the caller, which reads them from the lines themselves.
 */
class IniKeyIndex
{
public:
    /** The line of the key whose name hashes to hash and for which isKey(line) holds, or -1. */
    template<typename IsKey> int find(size_t hash, IsKey isKey) const
    {
        if (m_slots.empty())
            return -1;
        const quint32 stored = quint32(hash);
        const size_t mask = m_slots.size() - 1;
        for (size_t at = stored & mask;; at = (at + 1) & mask) {
            const Slot& slot = m_slots[at];
            if (slot.line < 0)
                return -1;
            if (slot.hash == stored && isKey(slot.line))
                return slot.line;
        }
    }
    /** Makes room for count keys in all, so that adding them needs no growing on the way. */
    void reserve(qsizetype count);
    /** Adds a key that find() does not know yet. */
    void insert(size_t hash, int line) { insertStored(quint32(hash), line); }

private:
    struct Slot
    {
        quint32 hash = 0;
        int line = -1;
    };
    void insertStored(quint32 hash, int line);
    void rebuild(size_t slots);

    std::vector<Slot> m_slots;
    qsizetype m_count = 0;
};
