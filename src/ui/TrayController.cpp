// SPDX-License-Identifier: GPL-3.0-or-later
#include "TrayController.h"

#include "ProgramIcon.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QScopedValueRollback>

TrayController::TrayController(const Settings& settings, ChangeFunction change, QObject* parent)
    : QObject(parent), m_settings(settings), m_change(std::move(change)), m_menu(QStringLiteral("Menu Tray")),
      m_settingsAction(m_menu.addAction(QStringLiteral("Settings"))),
      m_nextAction(m_menu.addAction(QStringLiteral("Flip to next image"))),
      m_previous(m_menu.addAction(QStringLiteral("Previous image"))),
      m_pause(m_menu.addAction(QStringLiteral("Pause changes"))),
      m_remove(m_menu.addAction(QStringLiteral("Remove this picture from the list"))),
      m_showInFolder(m_menu.addAction(QStringLiteral("Show in folder")))
{
    // The entry that ends the program stands apart, away from a slip of the pointer.
    m_menu.addSeparator();
    m_closeAction = m_menu.addAction(QStringLiteral("Close and Disable"));
    m_menu.setObjectName(QStringLiteral("m_menu"));
    m_settingsAction->setObjectName(QStringLiteral("m_settingsAction"));
    m_nextAction->setObjectName(QStringLiteral("m_nextAction"));
    m_closeAction->setObjectName(QStringLiteral("m_closeAction"));
    m_previous->setObjectName(QStringLiteral("previousImage"));
    m_pause->setObjectName(QStringLiteral("pauseChanges"));
    m_remove->setObjectName(QStringLiteral("removePicture"));
    m_showInFolder->setObjectName(QStringLiteral("showInFolder"));

    m_icon.setIcon(ProgramIcon::icon(64));
    m_icon.setToolTip(QStringLiteral(" Tessaly"));
    // Set as the context menu too, so that desktops which draw the menu themselves (StatusNotifierItem)
    // have it; the X11 tray opens it on the right button before the Context event arrives.
    m_icon.setContextMenu(&m_menu);

    connect(&m_icon, &QSystemTrayIcon::activated, this, &TrayController::onActivated);
    connect(m_settingsAction, &QAction::triggered, this, &TrayController::openRequested);
    connect(m_nextAction, &QAction::triggered, this, &TrayController::flipToNext);
    connect(m_closeAction, &QAction::triggered, this, &TrayController::closeRequested);
    connect(m_previous, &QAction::triggered, this, [this] {
        const QScopedValueRollback busy(m_trayBusy, true);
        emit previousRequested();
    });
    connect(m_pause, &QAction::triggered, this, &TrayController::pauseToggled);
    connect(m_showInFolder, &QAction::triggered, this, &TrayController::showInFolderRequested);
    connect(m_remove, &QAction::triggered, this, [this] {
        const QScopedValueRollback busy(m_trayBusy, true);
        emit removeRequested();
    });
}

TrayController::~TrayController() = default;

void TrayController::showIcon()
{
    m_icon.show();
}

void TrayController::removeIcon()
{
    m_icon.hide();
}

bool TrayController::isIconShown() const
{
    return m_icon.isVisible();
}

void TrayController::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (m_trayBusy)
        return;
    QScopedValueRollback busy(m_trayBusy, true);
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        m_change(CheckedSettings(m_settings).order());
        break;
    case QSystemTrayIcon::Context:
        emit foregroundRequested();
        if (!m_menu.isVisible())
            m_menu.popup(QCursor::pos());
        break;
    default:
        break;
    }
}

void TrayController::flipToNext()
{
    // Icon clicks during the flip's change are dropped like those during any other change.
    QScopedValueRollback busy(m_trayBusy, true);
    m_change(CheckedSettings::Order::List);
}

void TrayController::setChanges(Changes changes)
{
    if (std::exchange(m_changes, changes) == changes)
        return;
    const bool held = changes == Changes::HeldBySettings;
    m_pause->setText(held                         ? QStringLiteral("Paused while Settings is open")
                     : changes == Changes::Paused ? QStringLiteral("Resume changes")
                                                  : QStringLiteral("Pause changes"));
    // Activate in the settings window ends the hold; the list is edited there meanwhile.
    m_pause->setEnabled(!held);
    m_remove->setEnabled(!held);
    m_icon.setIcon(changes == Changes::Running ? ProgramIcon::icon(64) : ProgramIcon::pausedIcon(64));
}

void TrayController::setToolTip(const QString& text)
{
    m_icon.setToolTip(text);
}

QString TrayController::toolTip() const
{
    return m_icon.toolTip();
}
