// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ChangeCycle.h"

#include <QObject>
#include <QString>

class ApplicationShell;
class ChangeCycle;
class LoadedImages;
class Scheduler;
class TrayController;
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
                    ApplicationShell& shell, TrayController& tray, QObject* parent = nullptr);

    /** Runs one command by its name and gives the reply. */
    QString run(const QString& command);

private:
    QString afterChange(const std::function<void(ChangeCycle::Done)>& ask);
    QString status() const;
    void setPaused(bool paused);

    Settings& m_settings;
    LoadedImages& m_images;
    ChangeCycle& m_cycle;
    Scheduler& m_scheduler;
    ApplicationShell& m_shell;
    TrayController& m_tray;
};
