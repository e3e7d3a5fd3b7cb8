// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ApplicationShell.h"
#include "ChangeCycle.h"
#include "ControlCommands.h"
#include "ControlServer.h"
#include "DesktopUrlOpener.h"
#include "LoadedImages.h"
#include "MessageBoxPrompter.h"
#include "MountedVolumes.h"
#include "NativeLoginStart.h"
#include "PrimaryScreenInfo.h"
#include "QtFileDialogs.h"
#include "QtFontChooser.h"
#include "Scheduler.h"
#include "ScreenWatcher.h"
#include "Settings.h"
#include "SettingsFile.h"
#include "SystemClock.h"
#include "SystemFolderWatcher.h"
#include "SystemRandom.h"
#include "TrayController.h"
#include "WatchedFolders.h"

#include <QApplication>
#include <memory>
#include <optional>

class DesktopBackend;
class FileSystem;
class SettingsWindow;

/**
 * The program as started to live in the tray: builds the real platform objects, wires the layers and runs
 * until the end is asked for. The parts are members in the order each needs the ones before it; those that
 * need what the start reads are made once it has been read.
 */
class TessalyApp
{
public:
    /** Whether a display can be opened; Qt would abort with a toolkit error instead of saying what is
     * missing. */
    static bool displayAvailable();

    TessalyApp(int& argc, char* argv[], bool startedForAdd);
    ~TessalyApp();

    /** Starts, or leaves another copy to it, and runs until the end: the program's exit code. */
    int run();

private:
    /** The copy that answers commands, or the exit code when this one must not go on. */
    std::optional<int> claimControl();
    [[nodiscard]] bool openSettingsFolder();
    [[nodiscard]] bool openSettingsFile();
    void readSettings();
    void buildParts();
    void goToTray();
    void startWork();
    std::unique_ptr<SettingsWindow> makeWindow();
    void quit();

    QApplication m_qt;
    bool m_startedForAdd;
    MessageBoxPrompter m_prompter;
    QString m_socketPath;
    std::optional<ControlServer> m_control;
    FileSystem& m_files;
    QString m_appFolder;
    SystemClock m_clock;
    SystemRandom m_random;
    std::optional<SettingsFile> m_settingsFile;
    LoadedImages m_images;
    Settings m_settings;
    std::unique_ptr<DesktopBackend> m_desktop;
    QtFileDialogs m_fileDialogs;
    DesktopUrlOpener m_urlOpener;
    PrimaryScreenInfo m_screen;
    QtFontChooser m_fontChooser;
    MountedVolumes m_volumes;
    NativeLoginStart m_loginStart;
    std::optional<ChangeCycle> m_cycle;
    std::optional<Scheduler> m_scheduler;
    std::optional<TrayController> m_tray;
    std::optional<ApplicationShell> m_shell;
    std::optional<ControlCommands> m_commands;
    std::optional<ScreenWatcher> m_screens;
    SystemFolderWatcher m_folderWatcher;
    std::optional<WatchedFolders> m_watched;
};
