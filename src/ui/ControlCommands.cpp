// SPDX-License-Identifier: GPL-3.0-or-later
#include "ControlCommands.h"

#include "ApplicationShell.h"
#include "ChangeCycle.h"
#include "CheckedSettings.h"
#include "LoadedImages.h"
#include "Prompter.h"
#include "Scheduler.h"
#include "Settings.h"
#include "TrayController.h"

#include <QTimer>

namespace {

const QString kOk = QStringLiteral("ok\n");

QString failed(const QString& reason)
{
    return QStringLiteral("error: %1\n").arg(reason);
}

} // namespace

ControlCommands::ControlCommands(Settings& settings, LoadedImages& images, ChangeCycle& cycle,
                                 Scheduler& scheduler, ApplicationShell& shell, TrayController& tray,
                                 Prompter& prompter, QObject* parent)
    : QObject(parent), m_settings(settings), m_images(images), m_cycle(cycle), m_scheduler(scheduler),
      m_shell(shell), m_tray(tray), m_prompter(prompter)
{
    connect(&m_tray, &TrayController::previousRequested, this, &ControlCommands::showPreviousFromTray);
    connect(&m_tray, &TrayController::pauseToggled, this, [this] { setPaused(!m_scheduler.isPaused()); });
}

void ControlCommands::run(const QString& command, const Reply& reply)
{
    // The running program reports its own failures in a window as well: the reply only sums up.
    const auto whenChanged = [reply](const ChangeOutcome& outcome) {
        changed(outcome, reply);
    };
    if (command == QLatin1String("next"))
        return m_cycle.change(CheckedSettings(m_settings).order(), whenChanged);
    if (command == QLatin1String("previous"))
        return m_cycle.showPrevious(whenChanged);
    reply(answerAtOnce(command));
}

void ControlCommands::changed(const ChangeOutcome& outcome, const Reply& reply)
{
    reply(outcome.result == ChangeOutcome::Result::Applied ? kOk : failed(outcome.reason));
}

void ControlCommands::showPreviousFromTray()
{
    // A change that fails is told by the change itself; only "there is none" would go unsaid.
    m_cycle.showPrevious([this](const ChangeOutcome& outcome) {
        if (outcome.result == ChangeOutcome::Result::Refused)
            m_prompter.tell(QStringLiteral("Previous image: %1.").arg(outcome.reason),
                            PromptIcon::Information);
    });
}

QString ControlCommands::answerAtOnce(const QString& command)
{
    if (command == QLatin1String("pause") || command == QLatin1String("resume")) {
        setPaused(command == QLatin1String("pause"));
        return kOk;
    }
    if (command == QLatin1String("status"))
        return kOk + status();
    if (command == QLatin1String("settings")) {
        // After the reply: opening may warn about the selected picture, and the warning waits for the user.
        QTimer::singleShot(0, &m_shell, &ApplicationShell::openSettings);
        return kOk;
    }
    if (command == QLatin1String("quit")) {
        // After the reply has gone out: the end leaves the event loop.
        QTimer::singleShot(0, &m_shell, &ApplicationShell::endProgram);
        return kOk;
    }
    return failed(QStringLiteral("unknown command \"%1\"").arg(command));
}

QString ControlCommands::status() const
{
    QString picture;
    if (const std::optional<ChangeHistory::Entry> shown = m_cycle.shown())
        picture = shown->path;
    const QString caption = m_cycle.shownCaption();
    QString next;
    // The open settings window holds the changes as a pause does.
    if (m_scheduler.isPaused() || !m_scheduler.isRunning())
        next = QStringLiteral("paused");
    else
        next = m_scheduler.dueAt().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return QStringLiteral("picture: %1\ncaption: %2\nnext change: %3\n").arg(picture, caption, next);
}

void ControlCommands::setPaused(bool paused)
{
    if (paused)
        m_scheduler.pause();
    else
        m_scheduler.resume();
    m_tray.setPaused(paused);
}
