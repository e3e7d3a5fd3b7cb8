// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLockFile>
#include <QString>

/** Holds the per-user lock that keeps a second copy of the program from running. */
class SingleInstance
{
public:
    /** `lockPath` names the lock file; the lock is taken at once if free. */
    explicit SingleInstance(const QString& lockPath);
    /** True when this process holds the lock, false when another copy runs. */
    bool isFirst() const { return m_isFirst; }
    /** The per-user lock path: $XDG_RUNTIME_DIR/tessaly.lock, or one in the temporary folder. */
    static QString defaultLockPath();

private:
    QLockFile m_lock;
    bool m_isFirst;
};
