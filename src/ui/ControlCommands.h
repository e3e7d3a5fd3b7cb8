// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class ApplicationShell;
class ChangeCycle;
class FileSystem;
class LoadedImages;
class Prompter;
class Scheduler;
class SettingsFile;
class TrayController;
class UrlOpener;
class WatchedFolders;
struct ChangeOutcome;
struct Settings;

/**
 * What the command line and the tray's extra entries ask of the running program: a change, a step
 * back, pause and resume, the status, pictures to add, the settings window, the end. Each reply starts
 * with "ok" or "error: <reason>" on its own line. It also keeps the tray's tooltip and icon telling
 * what the status tells.
 */
class ControlCommands : public QObject
{
    Q_OBJECT

public:
    ControlCommands(Settings& settings, LoadedImages& images, SettingsFile& file, FileSystem& files,
                    ChangeCycle& cycle, Scheduler& scheduler, ApplicationShell& shell, TrayController& tray,
                    Prompter& prompter, UrlOpener& urlOpener, QObject* parent = nullptr);

    /** Takes a command's reply; it may be called after run() has returned. */
    using Reply = std::function<void(const QString& reply)>;

    /** Runs one command by its name and gives its reply once, at once or when the command is done. */
    void run(const QString& command, const Reply& reply);

    /** What the tray shows of a picture: its caption, else its file name. */
    static QString shownText(const QString& path, const QString& caption);
    /** The tray's tooltip and icon brought in line with the status. */
    void refreshTray();
    /** The watched folders that watch and unwatch change, and the status counts. */
    void setWatchedFolders(WatchedFolders& watched) { m_watched = &watched; }

private:
    /**
     * The files and folders of an add command added to the list as stored, which is saved; the reply gives
     * the counts and each path left out with its reason. Nothing is asked or shown in a window: the reply
     * waits for none.
     */
    QString add(const QStringList& paths);
    /** Adds the pictures of folders as add() does, and watches each folder. */
    QString watch(const QStringList& folders);
    /** Stops watching folders; the reply names each that was not watched. */
    QString unwatch(const QStringList& folders);
    /** The tray's "Remove this picture from the list": asked, removed, saved, and the next one shown. */
    void removeShownPicture();
    /** The tray's "Show in folder": the file manager shows the picture on screen; a failure is told. */
    void showShownInFolder();
    /** The position in the list of the picture on screen, or -1. */
    int shownPosition() const;
    /** The time of the next timed change, or "paused" while none will come. */
    QString nextChange() const;
    QString answerAtOnce(const QString& command);
    /** Where a change's outcome becomes its reply, whenever the change ends. */
    static void changed(const ChangeOutcome& outcome, const Reply& reply);
    /** The tray's "Previous image": nobody waits for a reply, so a refusal is told in a window. */
    void showPreviousFromTray();
    QString status() const;
    void setPaused(bool paused);

    Settings& m_settings;
    LoadedImages& m_images;
    SettingsFile& m_file;
    FileSystem& m_files;
    ChangeCycle& m_cycle;
    Scheduler& m_scheduler;
    ApplicationShell& m_shell;
    TrayController& m_tray;
    UrlOpener& m_urlOpener;
    Prompter& m_prompter;
    WatchedFolders* m_watched = nullptr;
};
