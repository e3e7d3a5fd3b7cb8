// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CheckedSettings.h"
#include "Settings.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <functional>

class Clock;
class LoadedImages;
class Prompter;
class SettingsFile;

/**
 * Decides when the wallpaper changes by itself: the start-up check, the timer's due test and the
 * scheduling part of Activate. `m_timer` sleeps until the due time but never longer than a minute, so
 * a wall-clock change or a resume from suspend is noticed within a minute without polling.
 */
class Scheduler : public QObject
{
    Q_OBJECT

public:
    using ChangeFunction = std::function<void(CheckedSettings::Order order)>;

    /** The longest `m_timer` sleeps before it looks at the clock again. */
    static constexpr int MaxWaitMs = 60 * 1000;

    /** A save of the settings file that fails is told through prompter. */
    Scheduler(Settings& settings, SettingsFile& file, const Clock& clock, Prompter& prompter,
              ChangeFunction change, QObject* parent = nullptr);

    /** Whether the current unit's due time has come. */
    bool isDue() const;
    /** The first moment at which isDue() holds. */
    QDateTime dueAt() const;

    /** Start-up: changes when due (minutes: always; hours, days: also with changeEveryBoot 1). */
    void startupCheck();
    /** Activate: refuses an empty list with a message, else saves it, schedules, changes and starts. */
    bool activate(LoadedImages& images);

    /** Lets `m_timer` run its checks. */
    void start();
    /** No change happens by itself until start(). */
    void stop();
    bool isRunning() const { return m_running; }
    /** No timed change until resume(), whatever start() and stop() do meanwhile. */
    void pause();
    void resume();
    bool isPaused() const { return m_paused; }

    /** One check: changes when due, then sleeps until the next due time. */
    void onTimeout();

signals:
    /** Running, stopped, paused or the due time changed. */
    void stateChanged();

public:
    static constexpr const char* EmptyListMessage =
        "There are no images loaded in program. Load at least one image file to be displayed.";

private:
    CheckedSettings checked() const { return CheckedSettings(m_settings); }
    /** Sets and stores the next due time counted from the start of today (days) or now. */
    void scheduleNext(bool daysFromNow);
    void arm();

    Settings& m_settings;
    SettingsFile& m_file;
    const Clock& m_clock;
    Prompter& m_prompter;
    ChangeFunction m_change;
    QTimer m_timer;
    bool m_running = false;
    bool m_inTick = false;
    bool m_paused = false;
};
