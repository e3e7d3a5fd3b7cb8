// SPDX-License-Identifier: GPL-3.0-or-later
#include "TrayController.h"

#include "ProgramIcon.h"
#include "Settings.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QScopedValueRollback>

TrayController::TrayController(const Settings& settings, ChangeFunction change, QObject* parent)
    : QObject(parent), m_settings(settings), m_change(std::move(change)),
      mnuSystemTray(QStringLiteral("Menu Tray")),
      mnuOpen(mnuSystemTray.addAction(QStringLiteral("Settings"))),
      mnuNextImage(mnuSystemTray.addAction(QStringLiteral("Flip to next image"))),
      mnuClose(mnuSystemTray.addAction(QStringLiteral("Close and Disable"))),
      m_previous((mnuSystemTray.addSeparator(), mnuSystemTray.addAction(QStringLiteral("Previous image")))),
      m_pause(mnuSystemTray.addAction(QStringLiteral("Pause changes")))
{
    mnuSystemTray.setObjectName(QStringLiteral("mnuSystemTray"));
    mnuOpen->setObjectName(QStringLiteral("mnuOpen"));
    mnuNextImage->setObjectName(QStringLiteral("mnuNextImage"));
    mnuClose->setObjectName(QStringLiteral("mnuClose"));
    m_previous->setObjectName(QStringLiteral("previousImage"));
    m_pause->setObjectName(QStringLiteral("pauseChanges"));

    m_icon.setIcon(ProgramIcon::icon(64));
    m_icon.setToolTip(QStringLiteral(" Tessaly"));
    // Set as the context menu too, so that desktops which draw the menu themselves (StatusNotifierItem)
    // have it; the X11 tray opens it on the right button before the Context event arrives.
    m_icon.setContextMenu(&mnuSystemTray);

    connect(&m_icon, &QSystemTrayIcon::activated, this, &TrayController::onActivated);
    connect(mnuOpen, &QAction::triggered, this, &TrayController::openRequested);
    connect(mnuNextImage, &QAction::triggered, this, &TrayController::mnuNextImage_Click);
    connect(mnuClose, &QAction::triggered, this, &TrayController::closeRequested);
    connect(m_previous, &QAction::triggered, this, [this] {
        const QScopedValueRollback busy(m_trayBusy, true);
        emit previousRequested();
    });
    connect(m_pause, &QAction::triggered, this, &TrayController::pauseToggled);
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
        m_change(m_settings.sequenceType);
        break;
    case QSystemTrayIcon::Context:
        emit foregroundRequested();
        if (!mnuSystemTray.isVisible())
            mnuSystemTray.popup(QCursor::pos());
        break;
    default:
        break;
    }
}

void TrayController::mnuNextImage_Click()
{
    // Icon clicks during the flip's change are dropped like those during any other change.
    QScopedValueRollback busy(m_trayBusy, true);
    m_change(QStringLiteral("0"));
}

void TrayController::setPaused(bool paused)
{
    m_pause->setText(paused ? QStringLiteral("Resume changes") : QStringLiteral("Pause changes"));
}
