// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScreenInfo.h"

#include <QObject>
#include <QTimer>

class QScreen;

/**
 * Tells once when the monitors settle into a new layout: one added or removed, or a change of size,
 * place or scale. A burst of screen events (a plug gives several) is told once, after a quiet moment.
 */
class ScreenWatcher : public QObject
{
    Q_OBJECT

public:
    /** How long the screens must stay quiet before a new layout is told. */
    static constexpr int QuietMilliseconds = 600;

    explicit ScreenWatcher(const ScreenInfo& screens, QObject* parent = nullptr);

signals:
    /** The monitors now lie otherwise than when last told (or than at start). */
    void changed();

private slots:
    /** The desktop tells of a change Qt does not see: a monitor's scale on Xwayland. */
    void desktopChanged();

private:
    void watch(QScreen* screen);
    /** The layout in words: names, places, scales and work areas, primary first. */
    QString layout() const;

    const ScreenInfo& m_screens;
    QTimer m_quiet;
    QString m_told;
};
