// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <atomic>
#include <chrono>

/**
 * How long a picture may take to decode, counted from when this is made, and a flag another thread may
 * set to abandon the decode sooner (the program is quitting). Decoders look at it as they go, so that no
 * file, however it was made, holds a change for ever.
 */
class DecodeDeadline
{
public:
    static constexpr int DefaultSeconds = 10;

    explicit DecodeDeadline(const std::atomic_bool* abandon = nullptr,
                            std::chrono::milliseconds limit = std::chrono::seconds(DefaultSeconds));

    /** True once the time is up or the decode was abandoned. */
    [[nodiscard]] bool expired() const;

    /** Why a decode that ran into this was stopped, in words for the user. */
    QString reason() const;

private:
    std::chrono::steady_clock::time_point m_end;
    std::chrono::milliseconds m_limit;
    const std::atomic_bool* m_abandon;
};
