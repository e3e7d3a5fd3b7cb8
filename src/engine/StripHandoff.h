// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>
#include <condition_variable>
#include <mutex>
#include <thread>

class AreaScaler;

/**
 * Hands decoded strips to a scaler, one at a time and in order: a helper thread scales a strip while
 * the next one decodes, and when the helper has not taken a strip by the time the next one is decoded
 * (no free core: the machine is busy), the decoding thread scales it itself, its rows still in its cache,
 * rather than waiting for the helper to be given a core. A thread started for each strip instead had to
 * wait for a core every time, which on a busy machine doubled the decode.
 */
class StripHandoff
{
public:
    StripHandoff(AreaScaler& scaler, std::size_t rowBytes);
    /** Settles the last strip and ends the helper. */
    ~StripHandoff();
    StripHandoff(const StripHandoff&) = delete;
    StripHandoff& operator=(const StripHandoff&) = delete;

    /** Offers `rows` rows at `strip`, which must stay untouched until the next settle(). */
    void offer(const uchar* strip, int rows);

    /** Returns once the strip offered last is scaled, scaling it here when the helper has not taken it. */
    void settle();

private:
    void help();
    /** Only the thread that took the strip runs this, so the scaler has one user at a time. */
    void scale();

    AreaScaler& m_scaler;
    const std::size_t m_rowBytes;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    /** The strip offered and not yet scaled; null when there is none. */
    const uchar* m_strip = nullptr;
    int m_rows = 0;
    bool m_taken = false;
    bool m_over = false;
    std::thread m_helper;
};
