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
        /** The files handed, one a line. */
        QString path;
        QString style;
    };

    QString name() const override { return QStringLiteral("recording"); }
    Takes takes() const override { return intake; }
    bool scalesSmallBitmaps() const override { return scales; }
    Result<std::optional<QString>> freshFolder(const QString&) const override
    {
        return fresh ? std::optional<QString>(QString()) : std::optional<QString>();
    }
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
    /** What it says it takes with several monitors. */
    Takes intake = Takes::OneBitmap;
    /** Whether it asks for names it has never been given, beside the bitmap. */
    bool fresh = false;

protected:
    Result<> applyStyleThenFiles(const QStringList& files, WallpaperStyle style) override
    {
        if (m_held) {
            m_waiting = true;
            m_gate.acquire();
            m_waiting = false;
        }
        m_applied.append({files.join(QLatin1Char('\n')), styleWord(style)});
        if (!m_failure.isEmpty())
            return Failure::because(m_failure);
        return {};
    }

private:
    QList<Applied> m_applied;
    QString m_failure;
    std::atomic_bool m_held = false;
    std::atomic_bool m_waiting = false;
    std::counting_semaphore<> m_gate{0};
};
