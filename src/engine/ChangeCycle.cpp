// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChangeCycle.h"

#include "ChangeJob.h"
#include "DesktopBackend.h"
#include "FolderPath.h"
#include "FolderSync.h"
#include "LoadedImages.h"
#include "Prompter.h"
#include "RandomSource.h"
#include "ScreenInfo.h"
#include "SettingValue.h"
#include "Settings.h"
#include "SettingsFile.h"
#include "SettingsSaveReport.h"
#include "SettingsSchema.h"
#include "ShownCaption.h"

#include <QThread>
#include <algorithm>
#include <cmath>

namespace {

ChangeOutcome refused(const QString& reason)
{
    return {ChangeOutcome::Result::Refused, reason};
}

ChangeOutcome madeAlready()
{
    return refused(QStringLiteral("the pictures on the desktop are made for these monitors already"));
}

} // namespace

ChangeCycle::ChangeCycle(Settings& settings, LoadedImages& images, SettingsFile& file, QString appFolder,
                         FileSystem& files, DesktopBackend& desktop, Prompter& prompter, RandomSource& random,
                         const ScreenInfo& screen, QObject* parent)
    : QObject(parent), m_settings(settings), m_images(images), m_file(file),
      m_appFolder(FolderPath::withTrailingSeparator(appFolder)), m_files(files), m_desktop(desktop),
      m_prompter(prompter), m_random(random), m_screen(screen)
{}

ChangeCycle::~ChangeCycle()
{
    m_abandon = true;
    if (m_worker)
        m_worker->wait();
}

void ChangeCycle::change(Order order, Done done)
{
    submit({order, -1, std::move(done)});
}

void ChangeCycle::showPrevious(Done done)
{
    // Stepping back is refused before the history moves, so a refused request loses no step.
    if (m_waiting && m_worker) {
        if (done)
            done(refused(QStringLiteral("a change is already waiting")));
        return;
    }
    // A picture since removed from the list is passed over for the one before it.
    while (const std::optional<ChangeHistory::Entry> earlier = m_history.stepBack()) {
        int position = earlier->position;
        if (position >= m_images.count() || m_images.pathAt(position) != earlier->path) {
            position = -1;
            for (int i = 0; i < m_images.count() && position < 0; ++i)
                position = m_images.pathAt(i) == earlier->path ? i : -1;
        }
        if (position >= 0) {
            submit({Order::List, position, std::move(done)});
            return;
        }
    }
    if (done)
        done(refused(QStringLiteral("no earlier picture was shown since Tessaly started")));
}

void ChangeCycle::recompose(Done done)
{
    // Nothing on screen that this list knows of: the next change will do.
    const std::optional<int> shown = CheckedSettings(m_settings).shownPosition(m_images.count());
    if (!shown) {
        if (done)
            done(refused(QStringLiteral("no picture of the list is on the desktop")));
        return;
    }
    if (!m_worker && madeForTheseMonitors()) {
        if (done)
            done(madeAlready());
        return;
    }
    submit({Order::List, *shown, std::move(done), true});
}

bool ChangeCycle::madeForTheseMonitors() const
{
    return m_shownMonitors && *m_shownMonitors == m_screen.monitors();
}

void ChangeCycle::noteShownAtStart()
{
    m_shownMonitors = m_screen.monitors();
    if (const std::optional<int> position = CheckedSettings(m_settings).shownPosition(m_images.count()))
        m_history.record(*position, m_images.pathAt(*position));
}

QString ChangeCycle::shownCaption() const
{
    const std::optional<ChangeHistory::Entry> entry = shown();
    if (entry && entry->caption)
        return *entry->caption;
    if (!entry || entry->position >= m_images.count() || m_images.pathAt(entry->position) != entry->path)
        return {};
    return ShownCaption::ofEntry(m_images, entry->position, m_settings, m_files);
}

void ChangeCycle::showAt(int position, Done done)
{
    if (position < 0 || position >= m_images.count()) {
        if (done)
            done(refused(QStringLiteral("there is no picture at that place in the list")));
        return;
    }
    submit({Order::List, position, std::move(done)});
}

void ChangeCycle::submit(Request request)
{
    std::optional<ChangeOutcome> refusal;
    if (m_stopped)
        refusal = refused(QStringLiteral("Tessaly is ending"));
    else if (m_images.count() <= 0) // nothing to show: the desktop and the index stay as they are
        refusal = refused(QStringLiteral("the list of pictures is empty"));
    else if (m_worker && m_waiting)
        refusal = refused(QStringLiteral("a change is already waiting"));
    if (refusal) {
        if (request.done)
            request.done(*refusal);
        return;
    }
    if (m_worker)
        m_waiting = std::move(request);
    else
        start(std::move(request));
}

void ChangeCycle::stop()
{
    m_stopped = true;
    m_abandon = true;
    if (std::optional<Request> waiting = std::exchange(m_waiting, std::nullopt); waiting && waiting->done)
        waiting->done(refused(QStringLiteral("Tessaly is ending")));
}

int ChangeCycle::nextIndex(Order order, int current, int count)
{
    switch (order) {
    case Order::Shuffle:
        return m_shuffle.next(count, current, m_random);
    case Order::Random: {
        // Any picture but the one on screen: draw among the others and step over it.
        const bool skip = count > 1 && current >= 0 && current < count;
        const int choices = skip ? count - 1 : count;
        auto drawn =
            std::clamp<qint64>(qint64(std::floor(double(choices) * double(m_random.next()))), 0, choices - 1);
        if (skip && drawn >= current)
            ++drawn;
        return int(drawn);
    }
    case Order::List:
        break;
    }
    // After the last, or past the end of a list that has shrunk, the list starts again.
    return current < 0 || current >= count - 1 ? 0 : current + 1;
}

std::optional<int> ChangeCycle::nextReachable(Order order, int current, int count)
{
    int chosen = nextIndex(order, current, count);
    if (!m_unreachable)
        return chosen;
    // Bounded: in list order every picture is tried once; a random draw gets as many tries.
    for (int tries = 0; tries < count; ++tries) {
        if (chosen < 0 || chosen >= count || !m_unreachable(m_images.pathAt(chosen)))
            return chosen;
        chosen = nextIndex(order, chosen, count);
    }
    return std::nullopt;
}

void ChangeCycle::listEdited(const QStringList& oldPaths, const QList<int>& newPositionOf,
                             const QStringList& newPaths)
{
    const int current = CheckedSettings(m_settings).integer(&Settings::imageNum);
    m_settings.imageNum = QString::number(FolderSync::positionAfter(newPositionOf, current));
    m_history.remap(oldPaths, newPositionOf, newPaths);
    m_shuffle.remap(newPositionOf, int(newPaths.size()));
    if (m_runningShown.position) {
        const int to = newPositionOf.value(*m_runningShown.position, -1);
        m_runningShown.position = to >= 0 ? std::optional<int>(to) : std::nullopt;
        if (to >= 0)
            m_runningShown.path = newPaths.value(to);
    }
}

void ChangeCycle::start(Request request)
{
    m_random.randomize();
    const int count = m_images.count();
    const QList<MonitorGeometry> monitors = m_screen.monitors();
    // A picture for each monitor where the desktop shows each its own; the same one elsewhere.
    const qsizetype pictures = CheckedSettings(m_settings).screens() == CheckedSettings::Screens::Each &&
                                       monitors.size() > 1 &&
                                       m_desktop.takes() != DesktopBackend::Takes::OneBitmap
                                   ? monitors.size()
                                   : 1;
    int first = request.position;
    // Shown again for a new layout: the same pictures, which end at the one recorded.
    if (request.again && first >= 0)
        first = int(((first - (pictures - 1)) % count + count) % count);
    ChangeJob::Order order;
    int chosen = CheckedSettings(m_settings).integer(&Settings::imageNum);
    std::optional<int> position;
    for (qsizetype i = 0; i < pictures; ++i) {
        const Order step = request.again ? Order::List : request.order;
        if (i == 0 && first >= 0) {
            chosen = first;
        } else if (const std::optional<int> reachable = nextReachable(step, chosen, count)) {
            chosen = *reachable;
        } else {
            if (request.done)
                request.done(refused(QStringLiteral("no picture of the list can be reached now")));
            return;
        }
        position = chosen >= 0 && chosen < count ? std::optional<int>(chosen) : std::nullopt;
        const ShownCaption::Source picture =
            position ? ShownCaption::sourceOf(m_images, *position, m_settings) : ShownCaption::Source{};
        if (i == 0) {
            order.picturePath = picture.path;
            order.caption = picture;
        } else {
            order.others.append(picture);
        }
    }
    m_settings.imageNum = SettingValue::fromNumber(chosen);
    const CheckedSettings checked(m_settings);
    order.bitmapPath = m_appFolder + QLatin1String(BitmapName);
    order.fallbackPath = m_appFolder + QLatin1String(FallbackName);
    order.composition = CompositionSettings::from(checked);
    order.composition.centreOnScreen = m_desktop.scalesSmallBitmaps();
    order.screen = monitors.constFirst().screen; // the primary, read once with the others
    order.monitors = monitors;
    order.screens = checked.screens();
    order.settleMs = m_settleMs;
    m_runningShown = {position, position ? m_images.pathAt(*position) : QString()};
    m_runningMonitors = monitors;
    m_running = std::move(request);

    auto job = std::make_shared<const ChangeJob>(std::move(order), m_files, m_desktop);
    m_worker.reset(QThread::create([this, job] {
        const ChangeReport report = job->run(m_abandon);
        QMetaObject::invokeMethod(
            this, [this, report] { jobDone(report); }, Qt::QueuedConnection);
    }));
    m_worker->start();
}

void ChangeCycle::jobDone(const ChangeReport& report)
{
    m_worker->wait();
    m_worker.reset();
    const Request finishedRequest = std::exchange(m_running, {});

    ChangeOutcome outcome;
    Result<> recorded;
    switch (report.outcome) {
    case ChangeReport::Outcome::Applied:
        outcome.result = ChangeOutcome::Result::Applied;
        m_shownMonitors = m_runningMonitors;
        if (m_runningShown.position && !finishedRequest.again)
            m_history.record(*m_runningShown.position, m_runningShown.path, report.caption);
        recorded = SettingsSchema::write(m_file, m_settings, {&Settings::imageNum});
        break;
    case ChangeReport::Outcome::Failed:
        outcome.result = ChangeOutcome::Result::Failed;
        outcome.reason = report.message.simplified();
        break;
    case ChangeReport::Outcome::Abandoned:
        outcome = refused(QStringLiteral("Tessaly is ending"));
        break;
    }

    // Everything this change decided is settled before anyone hears of it: a reply or a message may run
    // the event loop, and another change may start and end meanwhile.
    std::optional<Request> next = m_stopped ? std::nullopt : std::exchange(m_waiting, std::nullopt);
    // Pictures made again for monitors that changed while this change ran: not needed when this change
    // was made for them already.
    std::optional<Request> needless;
    if (next && next->again && madeForTheseMonitors())
        needless = std::exchange(next, std::nullopt);
    const bool more = next.has_value();
    if (more)
        start(*std::move(next));
    if (finishedRequest.done)
        finishedRequest.done(outcome);
    if (needless && needless->done)
        needless->done(madeAlready());
    // Giving the buffers back takes a moment, which whoever asked need not wait for.
    if (!more)
        emit finished();
    if (!report.message.isEmpty() && report.outcome != ChangeReport::Outcome::Abandoned)
        m_prompter.tell(report.message, PromptIcon::Exclamation);
    // The wallpaper did change; a failed record of it is told, and the change still counts.
    SettingsSaveReport::check(recorded, m_prompter);
}
