// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/DesktopBackend.h"

#include <QList>

/** A desktop that records every apply (with the style as the desktop received it) and can be told to fail. */
class RecordingDesktop final : public DesktopBackend
{
public:
    struct Applied
    {
        QString path;
        QString style;
    };

    QString name() const override { return QStringLiteral("recording"); }
    /** Makes every later apply fail with this reason (empty: succeed again). */
    void failWith(const QString& reason) { m_failure = reason; }
    const QList<Applied>& applied() const { return m_applied; }

protected:
    ApplyResult applyStyleThenFile(const QString& bitmapPath, WallpaperStyle style) override
    {
        m_applied.append({bitmapPath, styleWord(style)});
        return m_failure.isEmpty() ? ApplyResult{true, {}} : ApplyResult{false, m_failure};
    }

private:
    QList<Applied> m_applied;
    QString m_failure;
};
