// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Result.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

class SettingsWindow;
class LoadedImages;
class Prompter;
class Scheduler;
class SettingsFile;
class TrayController;

/**
 * The program's life between start and end: going to the tray, opening the settings window,
 * Activate, and the end on any close request, which keeps list edits the user wants kept. Where the desktop
 * shows no tray, the main window stays shown instead so the program remains reachable; once a tray appears,
 * closing the window or Activate puts the program there. The window is built the first time it is needed: a
 * program that rests in the tray starts sooner and holds less without it.
 */
class ApplicationShell : public QObject
{
    Q_OBJECT

public:
    /** How often the availability of a tray is looked at while there is none. */
    static constexpr int TrayPollMs = 30 * 1000;

    using WindowFactory = std::function<std::unique_ptr<SettingsWindow>()>;
    /** Learns how a close request ended: fine when the program ends, else why it runs on. */
    using EndAnswer = std::function<void(const Result<>& ended)>;

    ApplicationShell(WindowFactory makeWindow, LoadedImages& images, SettingsFile& file, Scheduler& scheduler,
                     TrayController& tray, Prompter& prompter, QObject* parent = nullptr);

    /** Replaces the test for a tray, and the program's end (for tests). */
    void setTrayAvailable(std::function<bool()> trayAvailable) { m_trayAvailable = std::move(trayAvailable); }
    void setQuit(std::function<void()> quit) { m_quit = std::move(quit); }
    void setTrayPollInterval(int msecs) { m_trayPoll.setInterval(msecs); }
    /** Whether it still looks for a tray to appear. */
    bool isWaitingForTray() const { return m_trayPoll.isActive(); }

    /** Icon up; the main window hidden, or shown where no tray can hold the icon. */
    void goToTray();
    /** "Settings": the window shown centred, the first entry selected, the scheduler stopped. */
    void openSettings();
    /** Saves the list, schedules and changes, then goes back to the tray; refuses an empty list. */
    void activateAndMinimize();
    /**
     * Every close request: with list edits not saved, asks whether to save them first (Cancel, or a
     * save that fails, keeps the program running); then ends the program. `told` learns the outcome
     * once it is decided, after the end; a request made while the question is open gets its answer.
     */
    void requestEnd(const EndAnswer& told = {});
    /** Icon down, program ended, nothing written. */
    void endProgram();

    ~ApplicationShell() override;

    /** The settings window, built on first use. */
    SettingsWindow& window();
    /** The settings window if it has been built, else null. */
    SettingsWindow* builtWindow() const { return m_window.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void checkTrayAppeared();
    void bringForward();
    /** Asks about unsaved list edits and saves them when told to: why the program runs on, or empty. */
    Result<> askToSaveEdits();

    WindowFactory m_makeWindow;
    std::unique_ptr<SettingsWindow> m_window;
    LoadedImages& m_images;
    SettingsFile& m_file;
    Scheduler& m_scheduler;
    TrayController& m_tray;
    Prompter& m_prompter;
    std::function<bool()> m_trayAvailable;
    std::function<void()> m_quit;
    QTimer m_trayPoll;
    bool m_shownForMissingTray = false;
    bool m_askingToEnd = false;
    QList<EndAnswer> m_endWaiting;
};
