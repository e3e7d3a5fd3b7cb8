// SPDX-License-Identifier: GPL-3.0-or-later
#include "DecodeDeadline.h"

DecodeDeadline::DecodeDeadline(const std::atomic_bool* abandon, std::chrono::milliseconds limit)
    : m_end(std::chrono::steady_clock::now() + limit), m_limit(limit), m_abandon(abandon)
{}

bool DecodeDeadline::expired() const
{
    return (m_abandon != nullptr && m_abandon->load(std::memory_order_relaxed)) ||
           std::chrono::steady_clock::now() >= m_end;
}

QString DecodeDeadline::reason() const
{
    if (m_abandon != nullptr && m_abandon->load(std::memory_order_relaxed))
        return QStringLiteral("the change was abandoned");
    return QStringLiteral("the picture took longer than %1 s to decode")
        .arg(std::chrono::duration<double>(m_limit).count());
}
