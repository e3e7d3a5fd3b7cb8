// SPDX-License-Identifier: GPL-3.0-or-later
#include "ApplicationShell.h"

#include "LoadedImages.h"
#include "Prompter.h"
#include "Scheduler.h"
#include "SettingsFile.h"
#include "SettingsWindow.h"
#include "TrayController.h"

#include <QCoreApplication>
#include <QEvent>
#include <QScopedValueRollback>
#include <QSystemTrayIcon>

ApplicationShell::ApplicationShell(WindowFactory makeWindow, LoadedImages& images, SettingsFile& file,
                                   Scheduler& scheduler, TrayController& tray, Prompter& prompter,
                                   QObject* parent)
    : QObject(parent), m_makeWindow(std::move(makeWindow)), m_images(images), m_file(file),
      m_scheduler(scheduler), m_tray(tray), m_prompter(prompter),
      m_trayAvailable(&QSystemTrayIcon::isSystemTrayAvailable), m_quit([] { QCoreApplication::exit(0); })
{
    m_trayPoll.setInterval(TrayPollMs);
    m_trayPoll.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_trayPoll, &QTimer::timeout, this, &ApplicationShell::checkTrayAppeared);

    connect(&m_tray, &TrayController::openRequested, this, &ApplicationShell::openSettings);
    connect(&m_tray, &TrayController::closeRequested, this, [this] { requestEnd(); });
    connect(&m_tray, &TrayController::foregroundRequested, this, &ApplicationShell::bringForward);
}

ApplicationShell::~ApplicationShell() = default;

SettingsWindow& ApplicationShell::window()
{
    if (!m_window) {
        m_window = m_makeWindow();
        connect(m_window.get(), &SettingsWindow::activateRequested, this,
                &ApplicationShell::activateAndMinimize);
        connect(m_window.get(), &SettingsWindow::closeRequested, this, [this] { requestEnd(); });
        m_window->installEventFilter(this);
    }
    return *m_window;
}

void ApplicationShell::goToTray()
{
    m_tray.showIcon();
    if (m_trayAvailable()) {
        m_trayPoll.stop();
        m_shownForMissingTray = false;
        if (m_window)
            m_window->hide();
        return;
    }
    // A shown top-level window has its task-bar entry; closing it ends the program as any close does.
    m_shownForMissingTray = true;
    if (!window().isVisible())
        window().showCentred();
    m_trayPoll.start();
}

void ApplicationShell::checkTrayAppeared()
{
    if (!m_trayAvailable())
        return;
    m_trayPoll.stop();
    // Pulling the window away from someone working in it would lose their place: it goes to the tray
    // when they close it or press Activate!.
    m_tray.showIcon();
}

bool ApplicationShell::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window.get() && event->type() == QEvent::Close && m_shownForMissingTray &&
        m_trayAvailable()) {
        event->ignore();
        goToTray();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void ApplicationShell::openSettings()
{
    m_shownForMissingTray = false;
    m_trayPoll.stop();
    window().showCentred();
    if (m_images.count() > 0)
        window().selectEntry(0);
    m_scheduler.stop();
    window().collectionAdvice().reset();
}

void ApplicationShell::activateAndMinimize()
{
    window().setCursor(Qt::WaitCursor);
    const bool activated = m_scheduler.activate(m_images);
    window().unsetCursor();
    if (activated)
        goToTray();
}

void ApplicationShell::requestEnd(const EndAnswer& told)
{
    if (told)
        m_endWaiting.append(told);
    // The question is open in a window already: its answer is this request's answer too.
    if (m_askingToEnd)
        return;
    Result<> ended;
    if (m_images.isModified()) {
        const QScopedValueRollback<bool> asking(m_askingToEnd, true);
        ended = askToSaveEdits();
    }
    if (ended)
        endProgram();
    for (const EndAnswer& waiting : std::exchange(m_endWaiting, {}))
        waiting(ended);
}

Result<> ApplicationShell::askToSaveEdits()
{
    if (m_window && m_window->isVisible())
        bringForward();
    const PromptAnswer answer = m_prompter.ask(
        QStringLiteral("The list of pictures or its captions changed since they were last saved.\n\n"
                       "Save the changes before Tessaly ends?"),
        PromptButtons::SaveDiscardCancel, PromptIcon::Question);
    if (answer == PromptAnswer::Cancel)
        return Failure::because(
            QStringLiteral("the settings window has unsaved changes and the user chose to "
                           "keep Tessaly running"));
    // The failure was told with its reason; the edits are still in memory to try again.
    if (answer != PromptAnswer::Save)
        return {};
    if (const Result<> saved = m_images.saveTelling(m_file, m_prompter); !saved)
        return saved.failure().prefixed(
            QStringLiteral("the changed list was not saved, so Tessaly keeps running: "));
    return {};
}

void ApplicationShell::endProgram()
{
    // Hidden first, so the window tells where it was.
    if (m_window)
        m_window->hide();
    m_scheduler.stop();
    m_trayPoll.stop();
    m_tray.removeIcon();
    m_quit();
}

void ApplicationShell::bringForward()
{
    if (!m_window || !m_window->isVisible())
        return;
    m_window->raise();
    m_window->activateWindow();
}
