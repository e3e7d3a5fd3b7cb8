// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChangeHistory.h"

void ChangeHistory::record(int position, const QString& path, const std::optional<QString>& caption)
{
    // Stepping back shows the earlier picture again, perhaps at a new place in an edited list; that
    // must not count as a new change.
    if (!m_entries.isEmpty() && m_entries.last().path == path) {
        m_entries.last().position = position;
        m_entries.last().caption = caption;
        return;
    }
    if (m_entries.size() == Capacity)
        m_entries.removeFirst();
    m_entries.append({position, path, caption});
}

std::optional<ChangeHistory::Entry> ChangeHistory::current() const
{
    if (m_entries.isEmpty())
        return std::nullopt;
    return m_entries.last();
}

std::optional<ChangeHistory::Entry> ChangeHistory::stepBack()
{
    if (m_entries.size() < 2)
        return std::nullopt;
    m_entries.removeLast();
    return m_entries.last();
}

void ChangeHistory::remap(const QStringList& oldPaths, const QList<int>& newPositionOf,
                          const QStringList& newPaths)
{
    for (Entry& entry : m_entries) {
        // A place that no longer held this picture was stale already; the path finds it where it is used.
        if (oldPaths.value(entry.position) != entry.path)
            continue;
        entry.position = newPositionOf.value(entry.position, -1);
        if (entry.position >= 0)
            entry.path = newPaths.value(entry.position);
    }
}
