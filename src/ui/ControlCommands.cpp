// SPDX-License-Identifier: GPL-3.0-or-later
#include "ControlCommands.h"

#include "ApplicationShell.h"
#include "ChangeCycle.h"
#include "CheckedSettings.h"
#include "LoadedImages.h"
#include "Scheduler.h"
#include "Settings.h"
#include "TrayController.h"

#include <QEventLoop>
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
                                 QObject* parent)
    : QObject(parent), m_settings(settings), m_images(images), m_cycle(cycle), m_scheduler(scheduler),
      m_shell(shell), m_tray(tray)
{
    connect(&m_tray, &TrayController::previousRequested, this, [this] { run(QStringLiteral("previous")); });
    connect(&m_tray, &TrayController::pauseToggled, this, [this] { setPaused(!m_scheduler.isPaused()); });
}

QString ControlCommands::run(const QString& command)
{
    // The running program reports its own failures in a window as well: the reply only sums up.
    if (command == QLatin1String("next"))
        return afterChange(
            [this](ChangeCycle::Done done) { m_cycle.change(CheckedSettings(m_settings).order(), done); });
    if (command == QLatin1String("previous"))
        return afterChange([this](ChangeCycle::Done done) { m_cycle.showPrevious(done); });
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

QString ControlCommands::afterChange(const std::function<void(ChangeCycle::Done)>& ask)
{
    QEventLoop loop;
    std::optional<ChangeOutcome> outcome;
    ask([&](const ChangeOutcome& told) {
        outcome = told;
        loop.quit();
    });
    if (!outcome)
        loop.exec();
    return outcome->result == ChangeOutcome::Result::Applied ? kOk : failed(outcome->reason);
}

QString ControlCommands::status() const
{
    QString picture;
    QString caption;
    if (const std::optional<ChangeHistory::Entry> shown = m_cycle.shown()) {
        picture = shown->path;
        if (shown->position < m_images.count() && m_images.pathAt(shown->position) == shown->path)
            caption = m_images.captionAt(shown->position);
    }
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
