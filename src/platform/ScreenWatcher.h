// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>

class QScreen;

/**
 * Tells once when the monitors settle after a change: one added or removed, or a change of size, place or
 * scale. A burst of screen events (a plug gives several) is told once, after a quiet moment, whatever
 * layout it ends in.
 */
class ScreenWatcher : public QObject
{
    Q_OBJECT

public:
    /** How long the screens must stay quiet before a burst is told. */
    static constexpr int QuietMilliseconds = 600;

    explicit ScreenWatcher(QObject* parent = nullptr);

signals:
    /** A burst of screen events is over: the monitors may lie otherwise, or as they did before it. */
    void changed();

private slots:
    /** The desktop tells of a change Qt does not see: a monitor's scale on Xwayland. */
    void desktopChanged();

private:
    void watch(QScreen* screen);

    QTimer m_quiet;
};
