// SPDX-License-Identifier: GPL-3.0-or-later
#include "ControlCommands.h"

#include "ApplicationShell.h"
#include "ChangeCycle.h"
#include "LoadedImages.h"
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
                                 QObject* parent)
    : QObject(parent), m_settings(settings), m_images(images), m_cycle(cycle), m_scheduler(scheduler),
      m_shell(shell), m_tray(tray)
{
    connect(&m_tray, &TrayController::previousRequested, this, [this] {
        // Nobody waits for a reply here: a failed change is told in a window by the change itself.
        run(QStringLiteral("previous"), [](const QString&) {});
    });
    connect(&m_tray, &TrayController::pauseToggled, this, [this] { setPaused(!m_scheduler.isPaused()); });
}

void ControlCommands::run(const QString& command, const Reply& reply)
{
    // The running program reports its own failures in a window as well: the reply only sums up.
    if (command == QLatin1String("next")) {
        if (m_images.IsEmpty())
            return reply(failed(QStringLiteral("the list of pictures is empty")));
        return changed(m_cycle.ChangeWallpaper(m_settings.sequenceType), reply);
    }
    if (command == QLatin1String("previous")) {
        const std::optional<bool> stepped = m_cycle.showPrevious();
        if (!stepped)
            return reply(failed(QStringLiteral("no earlier picture was shown since Tessaly started")));
        return changed(*stepped, reply);
    }
    reply(answerAtOnce(command));
}

void ControlCommands::changed(bool applied, const Reply& reply)
{
    reply(applied ? kOk : failed(QStringLiteral("the change failed")));
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
        QTimer::singleShot(0, &m_shell, &ApplicationShell::mnuOpen_Click);
        return kOk;
    }
    if (command == QLatin1String("quit")) {
        // After the reply has gone out: the end leaves the event loop.
        QTimer::singleShot(0, &m_shell, &ApplicationShell::Form_QueryUnload);
        return kOk;
    }
    return failed(QStringLiteral("unknown command \"%1\"").arg(command));
}

QString ControlCommands::status() const
{
    QString picture;
    QString caption;
    if (const std::optional<ChangeHistory::Entry> shown = m_cycle.shown()) {
        picture = shown->path;
        if (shown->position < m_images.Count() && m_images.PathAt(shown->position) == shown->path)
            caption = m_images.CaptionAt(shown->position);
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
