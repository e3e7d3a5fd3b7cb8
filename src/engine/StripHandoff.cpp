// SPDX-License-Identifier: GPL-3.0-or-later
#include "StripHandoff.h"

#include "AreaScaler.h"

StripHandoff::StripHandoff(AreaScaler& scaler, std::size_t rowBytes) : m_scaler(scaler), m_rowBytes(rowBytes)
{
    m_helper = std::thread([this] { help(); });
}

StripHandoff::~StripHandoff()
{
    settle();
    {
        const std::lock_guard lock(m_mutex);
        m_over = true;
    }
    m_wake.notify_one();
    m_helper.join();
}

void StripHandoff::offer(const uchar* strip, int rows)
{
    {
        const std::lock_guard lock(m_mutex);
        m_strip = strip;
        m_rows = rows;
        m_taken = false;
    }
    m_wake.notify_one();
}

void StripHandoff::settle()
{
    std::unique_lock lock(m_mutex);
    if (m_strip == nullptr)
        return;
    if (m_taken) {
        m_done.wait(lock, [this] { return m_strip == nullptr; });
        return;
    }
    m_taken = true;
    lock.unlock();
    scale();
    lock.lock();
    m_strip = nullptr;
}

void StripHandoff::help()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_over || (m_strip != nullptr && !m_taken); });
        if (m_over)
            return;
        m_taken = true;
        lock.unlock();
        scale();
        lock.lock();
        m_strip = nullptr;
        m_done.notify_one();
    }
}

void StripHandoff::scale()
{
    for (int r = 0; r < m_rows; ++r)
        m_scaler.addRow(m_strip + m_rowBytes * std::size_t(r));
}
