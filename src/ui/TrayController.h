// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CheckedSettings.h"

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <functional>

class QAction;

/**
 * The tray icon and its menu "Settings", "Flip to next image", "Close and Disable", then "Previous
 * image" and "Pause changes" / "Resume changes". A left click
 * changes the wallpaper in the chosen order, a right click opens the menu; icon events that arrive
 * while one is being handled (a change waits with the event loop running) are dropped.
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
    /** The pause entry reads "Resume changes" while paused. */
    void setPaused(bool paused);

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
    bool m_trayBusy = false;
};
