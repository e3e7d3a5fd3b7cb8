// SPDX-License-Identifier: GPL-3.0-or-later
#include "ControlCommands.h"

#include "AddCommand.h"
#include "ApplicationShell.h"
#include "ChangeCycle.h"
#include "CheckedSettings.h"
#include "LoadedImages.h"
#include "PictureCollector.h"
#include "Prompter.h"
#include "Scheduler.h"
#include "SettingValue.h"
#include "Settings.h"
#include "SettingsFile.h"
#include "SettingsSaveReport.h"
#include "TrayController.h"
#include "UrlOpener.h"
#include "WatchedFolders.h"

#include <QFileInfo>
#include <QTimer>

namespace {

const QString kOk = QStringLiteral("ok\n");

QString failed(const QString& reason)
{
    return QStringLiteral("error: %1\n").arg(reason);
}

} // namespace

ControlCommands::ControlCommands(Settings& settings, LoadedImages& images, SettingsFile& file,
                                 FileSystem& files, ChangeCycle& cycle, Scheduler& scheduler,
                                 ApplicationShell& shell, TrayController& tray, Prompter& prompter,
                                 UrlOpener& urlOpener, QObject* parent)
    : QObject(parent), m_settings(settings), m_images(images), m_file(file), m_files(files), m_cycle(cycle),
      m_scheduler(scheduler), m_shell(shell), m_tray(tray), m_urlOpener(urlOpener), m_prompter(prompter)
{
    connect(&m_tray, &TrayController::previousRequested, this, &ControlCommands::showPreviousFromTray);
    connect(&m_tray, &TrayController::pauseToggled, this, [this] { setPaused(!m_scheduler.isPaused()); });
    connect(&m_tray, &TrayController::removeRequested, this, &ControlCommands::removeShownPicture);
    connect(&m_tray, &TrayController::showInFolderRequested, this, &ControlCommands::showShownInFolder);
    connect(&m_scheduler, &Scheduler::stateChanged, this, &ControlCommands::refreshTray);
    connect(&m_cycle, &ChangeCycle::finished, this, &ControlCommands::refreshTray);
    refreshTray();
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
    if (QStringList paths; AddCommand::parse(command, &paths))
        return reply(add(paths));
    if (QStringList folders; m_watched && AddCommand::parse(command, &folders, AddCommand::watch()))
        return reply(watch(folders));
    if (QStringList folders; m_watched && AddCommand::parse(command, &folders, AddCommand::unwatch()))
        return reply(unwatch(folders));
    // Answered once the end is decided, which may wait for the user to say whether to save the list:
    // a script must not believe the program ended while it still asks.
    if (command == QLatin1String("quit"))
        return m_shell.requestEnd(
            [reply](const Result<>& ended) { reply(ended ? kOk : failed(ended.reason())); });
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
    return failed(QStringLiteral("unknown command \"%1\"").arg(command));
}

void ControlCommands::showShownInFolder()
{
    // The picture on screen, whether or not the list still holds it: the file is what is asked for.
    const std::optional<ChangeHistory::Entry> shown = m_cycle.shown();
    if (!shown) {
        m_prompter.tell(QStringLiteral("No picture has been put on the desktop yet."),
                        PromptIcon::Information);
        return;
    }
    if (const Result<> opened = m_urlOpener.showInFolder(shown->path); !opened)
        m_prompter.tell(opened.reason(), PromptIcon::Exclamation);
}

int ControlCommands::shownPosition() const
{
    const std::optional<ChangeHistory::Entry> shown = m_cycle.shown();
    if (!shown)
        return -1;
    if (shown->position >= 0 && shown->position < m_images.count() &&
        m_images.pathAt(shown->position) == shown->path)
        return shown->position;
    return -1;
}

QString ControlCommands::nextChange() const
{
    // The open settings window holds the changes as a pause does.
    if (m_scheduler.isPaused() || !m_scheduler.isRunning())
        return QStringLiteral("paused");
    return m_scheduler.dueAt().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString ControlCommands::status() const
{
    const std::optional<ChangeHistory::Entry> shown = m_cycle.shown();
    QString text = QStringLiteral("picture: %1\ncaption: %2\nnext change: %3\npictures: %4\n")
                       .arg(shown ? shown->path : QString(), m_cycle.shownCaption(), nextChange())
                       .arg(m_images.count());
    if (m_watched) {
        text += QStringLiteral("watching: %1 folders").arg(m_watched->folderCount());
        if (const int polled = m_watched->polledCount(); polled > 0)
            text += QStringLiteral(" (%1 polled)").arg(polled);
        text += QLatin1Char('\n');
    }
    return text;
}

QString ControlCommands::shownText(const QString& path, const QString& caption)
{
    return caption.isEmpty() ? QFileInfo(path).fileName() : caption;
}

void ControlCommands::refreshTray()
{
    using Changes = TrayController::Changes;
    const bool held = !m_scheduler.isRunning();
    m_tray.setChanges(held                     ? Changes::HeldBySettings
                      : m_scheduler.isPaused() ? Changes::Paused
                                               : Changes::Running);
    QStringList lines{QStringLiteral("Tessaly")};
    if (const std::optional<ChangeHistory::Entry> shown = m_cycle.shown())
        lines << shownText(shown->path, m_cycle.shownCaption());
    const QString next = nextChange();
    if (next == QLatin1String("paused"))
        lines << (held ? QStringLiteral("paused while Settings is open") : QStringLiteral("paused"));
    else
        lines << QStringLiteral("next change: %1").arg(next);
    m_tray.setToolTip(lines.join(QLatin1Char('\n')));
}

void ControlCommands::setPaused(bool paused)
{
    if (paused)
        m_scheduler.pause();
    else
        m_scheduler.resume();
}

QString ControlCommands::add(const QStringList& paths)
{
    const PictureCollector::Collected collected = PictureCollector::collect(m_files, paths, true);
    LoadedImages::Added added;
    // The settings window's unsaved edits stay unsaved: only the new pictures go into the file.
    const Result<> saved = m_images.appendStored(
        m_file, collected.pictures,
        [this](const QString& path) { return PictureCollector::contentProblem(m_files, path); }, &added);
    if (!saved)
        return failed(QStringLiteral("nothing was added: %1").arg(saved.reason()));
    // A settings window built later shows the total of the list.
    m_settings.total = SettingValue::fromNumber(m_images.count());
    AddCommand::Outcome outcome;
    outcome.added = added.added;
    outcome.already = added.already;
    outcome.refused = collected.refused + added.refused;
    for (const QString& folder : collected.emptyFolders)
        outcome.refused.append({folder, QStringLiteral("no pictures in this folder")});
    for (const QString& path : std::as_const(added.noRoom))
        outcome.refused.append({path, LoadedImages::noRoomReason()});
    return kOk + AddCommand::replyBody(outcome);
}

void ControlCommands::removeShownPicture()
{
    const int position = shownPosition();
    if (position < 0) {
        m_prompter.tell(QStringLiteral("The picture on the desktop is not in the list."),
                        PromptIcon::Information);
        return;
    }
    const QString question = QStringLiteral("Remove %1 from the list?").arg(m_images.pathAt(position));
    if (m_prompter.ask(question, PromptButtons::YesNo, PromptIcon::Question) != PromptAnswer::Yes)
        return;
    // Only this picture leaves the file: edits not saved in the settings window stay unsaved. A failed save
    // is told; the picture is gone from the list in memory all the same.
    SettingsSaveReport::check(m_images.removeStored(m_file, position), m_prompter);
    m_settings.total = SettingValue::fromNumber(m_images.count());
    // In list order the next picture is the one that followed the removed one.
    m_settings.imageNum = SettingValue::fromNumber(position - 1);
    m_cycle.change(CheckedSettings(m_settings).order());
}

QString ControlCommands::watch(const QStringList& folders)
{
    QStringList found;
    QList<AddCommand::Refusal> notFolders;
    for (const QString& folder : folders) {
        if (QFileInfo(folder).isDir())
            found.append(folder);
        else
            notFolders.append({folder, QStringLiteral("it is not a folder")});
    }
    QString reply = found.isEmpty() ? kOk + AddCommand::replyBody({}) : add(found);
    if (!reply.startsWith(kOk))
        return reply;
    for (const QString& folder : std::as_const(found)) {
        if (const Result<> watched = m_watched->watch(folder); !watched)
            notFolders.append({folder, watched.reason()});
    }
    AddCommand::Outcome refusals;
    refusals.refused = notFolders;
    // The counts are add()'s; only the refusal lines are added.
    const QString more = AddCommand::replyBody(refusals);
    return reply + more.mid(more.indexOf(QLatin1Char('\n')) + 1);
}

QString ControlCommands::unwatch(const QStringList& folders)
{
    AddCommand::Outcome outcome;
    for (const QString& folder : folders) {
        if (const Result<> done = m_watched->unwatch(folder); !done)
            outcome.refused.append({folder, done.reason()});
    }
    return kOk + AddCommand::replyBody(outcome);
}
