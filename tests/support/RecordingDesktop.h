// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopBackend.h"

#include <QList>
#include <atomic>
#include <semaphore>

/**
 * A desktop that records every apply (with the style as the desktop received it), can be told to fail,
 * and can be held: a held apply waits, on the thread that applies, until the test lets it go.
 */
class RecordingDesktop final : public DesktopBackend
{
public:
    struct Applied
    {
        QString path;
        QString style;
    };

    QString name() const override { return QStringLiteral("recording"); }
    bool scalesSmallBitmaps() const override { return scales; }
    /** Makes every later apply fail with this reason (empty: succeed again). */
    void failWith(const QString& reason) { m_failure = reason; }
    const QList<Applied>& applied() const { return m_applied; }
    /** Every later apply waits for a release(). */
    void hold() { m_held = true; }
    /** Lets one waiting (or the next) apply go on. */
    void release() { m_gate.release(); }
    /** Whether an apply is waiting for a release() now. */
    bool isWaiting() const { return m_waiting; }
    /** Whether it says it would scale a bitmap smaller than the screen. */
    bool scales = false;

protected:
    ApplyResult applyStyleThenFile(const QString& bitmapPath, WallpaperStyle style) override
    {
        if (m_held) {
            m_waiting = true;
            m_gate.acquire();
            m_waiting = false;
        }
        m_applied.append({bitmapPath, styleWord(style)});
        return m_failure.isEmpty() ? ApplyResult{true, {}} : ApplyResult{false, m_failure};
    }

private:
    QList<Applied> m_applied;
    QString m_failure;
    std::atomic_bool m_held = false;
    std::atomic_bool m_waiting = false;
    std::counting_semaphore<> m_gate{0};
};
