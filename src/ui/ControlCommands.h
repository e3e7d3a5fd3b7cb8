// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class ApplicationShell;
class ChangeCycle;
class LoadedImages;
class Prompter;
class Scheduler;
class TrayController;
struct ChangeOutcome;
struct Settings;

/**
 * What the command line and the tray's extra entries ask of the running program: a change, a step
 * back, pause and resume, the status, the settings window, the end. Each reply starts with "ok" or
 * "error: <reason>" on its own line.
 */
class ControlCommands : public QObject
{
    Q_OBJECT

public:
    ControlCommands(Settings& settings, LoadedImages& images, ChangeCycle& cycle, Scheduler& scheduler,
                    ApplicationShell& shell, TrayController& tray, Prompter& prompter,
                    QObject* parent = nullptr);

    /** Takes a command's reply; it may be called after run() has returned. */
    using Reply = std::function<void(const QString& reply)>;

    /** Runs one command by its name and gives its reply once, at once or when the command is done. */
    void run(const QString& command, const Reply& reply);

private:
    QString answerAtOnce(const QString& command);
    /** Where a change's outcome becomes its reply, whenever the change ends. */
    static void changed(const ChangeOutcome& outcome, const Reply& reply);
    /** The tray's "Previous image": nobody waits for a reply, so a refusal is told in a window. */
    void showPreviousFromTray();
    QString status() const;
    void setPaused(bool paused);

    Settings& m_settings;
    LoadedImages& m_images;
    ChangeCycle& m_cycle;
    Scheduler& m_scheduler;
    ApplicationShell& m_shell;
    TrayController& m_tray;
    Prompter& m_prompter;
};
