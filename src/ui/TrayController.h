// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CheckedSettings.h"

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <functional>

class QAction;

/**
 * The tray icon and its menu "Settings", "Flip to next image", "Previous image", "Pause changes" /
 * "Resume changes", "Remove this picture from the list", "Show in folder", then apart "Close and Disable". A
 * left click changes the wallpaper in the chosen order, a right click opens the menu; icon events that arrive
 * while one is being handled (a change waits with the event loop running) are dropped. The tooltip
 * and the icon tell the picture on screen and whether changes come.
 */
class TrayController : public QObject
{
    Q_OBJECT

public:
    using ChangeFunction = std::function<void(CheckedSettings::Order order)>;

    TrayController(const Settings& settings, ChangeFunction change, QObject* parent = nullptr);
    ~TrayController() override;

    /** Puts the icon up; an icon already up stays up once. */
    void showIcon();
    /** Takes the icon down. */
    void removeIcon();
    bool isIconShown() const;

    /** Acts on one event of the icon. */
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    /** "Flip to next image": the next picture in list order, whatever the order mode. */
    void flipToNext();
    /** Whether timed changes come, as the icon and the pause entry show it. */
    enum class Changes { Running, Paused, HeldBySettings };
    /** Paused: the paused icon, and the entry reads "Resume changes"; held: the entry says why. */
    void setChanges(Changes changes);
    Changes changes() const { return m_changes; }
    void setToolTip(const QString& text);
    QString toolTip() const;

    QMenu& menu() { return m_menu; }

signals:
    /** "Settings" was chosen. */
    void openRequested();
    /** "Close and Disable" was chosen. */
    void closeRequested();
    /** The menu is about to open: the main window should come forward. */
    void foregroundRequested();
    /** "Previous image" was chosen (icon clicks meanwhile are dropped). */
    void previousRequested();
    /** "Pause changes" or "Resume changes" was chosen. */
    void pauseToggled();
    /** "Remove this picture from the list" was chosen. */
    void removeRequested();
    /** "Show in folder" was chosen: the file manager should show the picture on screen. */
    void showInFolderRequested();

private:
    const Settings& m_settings;
    ChangeFunction m_change;
    // The menu outlives the icon that shows it.
    QMenu m_menu;
    QSystemTrayIcon m_icon;
    QAction* m_settingsAction;
    QAction* m_nextAction;
    QAction* m_closeAction;
    QAction* m_previous;
    QAction* m_pause;
    QAction* m_remove;
    QAction* m_showInFolder;
    Changes m_changes = Changes::Running;
    bool m_trayBusy = false;
};
