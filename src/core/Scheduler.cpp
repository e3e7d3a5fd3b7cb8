// SPDX-License-Identifier: GPL-3.0-or-later
#include "Scheduler.h"

#include "Clock.h"
#include "LoadedImages.h"
#include "Prompter.h"
#include "SettingValue.h"
#include "SettingsSaveReport.h"
#include "SettingsSchema.h"

#include <algorithm>

namespace {

using Unit = CheckedSettings::Unit;

// Below this the wait is short enough that a coarse timer's slack would be noticeable.
constexpr int PreciseBelowMs = 2000;

QDateTime startOf(const QDate& day)
{
    return QDateTime(day, QTime(0, 0));
}

} // namespace

Scheduler::Scheduler(Settings& settings, SettingsFile& file, const Clock& clock, Prompter& prompter,
                     ChangeFunction change, QObject* parent)
    : QObject(parent), m_settings(settings), m_file(file), m_clock(clock), m_prompter(prompter),
      m_change(std::move(change))
{
    m_timer.setObjectName(QStringLiteral("m_timer"));
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &Scheduler::onTimeout);
}

QDateTime Scheduler::dueAt() const
{
    const QDateTime now = m_clock.now();
    const Unit unit = checked().unit();
    const QString& stored = unit == Unit::Minutes ? m_settings.nextMinuteChange : m_settings.ChangeTime;
    // Empty (never computed) and unreadable times are due at once; the check then stores a good one.
    const std::optional<QDateTime> due = SettingValue::toDateTime(stored);
    if (!due)
        return now;
    if (unit != Unit::Days)
        return *due;
    // Days compare today's date, taken at midnight, with the stored time.
    return due->time() == QTime(0, 0) ? startOf(due->date()) : startOf(due->date().addDays(1));
}

bool Scheduler::isDue() const
{
    return m_clock.now() >= dueAt();
}

void Scheduler::scheduleNext(bool daysFromNow)
{
    const QDateTime now = m_clock.now();
    // Out of the unit's range (a hand-edited 0 would change at every check) the shipped count holds.
    const int count = checked().count();
    switch (checked().unit()) {
    case Unit::Minutes:
        m_settings.nextMinuteChange = SettingValue::fromDateTime(now.addSecs(60LL * count));
        emit stateChanged();
        return;
    case Unit::Hours:
        m_settings.ChangeTime = SettingValue::fromDateTime(now.addSecs(3600LL * count));
        break;
    case Unit::Days: {
        const QDateTime from = daysFromNow ? now : startOf(now.date());
        m_settings.ChangeTime = SettingValue::fromDateTime(from.addDays(count));
        break;
    }
    }
    SettingsSaveReport::check(SettingsSchema::write(m_file, m_settings, {&Settings::ChangeTime}), m_prompter);
    emit stateChanged();
}

void Scheduler::startupCheck()
{
    if (checked().unit() != Unit::Minutes && !isDue() && !checked().changesAtEveryStart())
        return;
    scheduleNext(false);
    m_change(checked().order());
}

bool Scheduler::activate(LoadedImages& images)
{
    if (images.isEmpty()) {
        m_prompter.tell(QString::fromLatin1(EmptyListMessage), PromptIcon::Exclamation);
        return false;
    }
    // The list stays in memory whatever the save gives, and the wallpaper still changes.
    (void)images.saveTelling(m_file, m_prompter);
    scheduleNext(true);
    m_change(checked().order());
    start();
    return true;
}

void Scheduler::start()
{
    m_running = true;
    arm();
    emit stateChanged();
}

void Scheduler::stop()
{
    m_running = false;
    m_timer.stop();
    emit stateChanged();
}

void Scheduler::pause()
{
    m_paused = true;
    m_timer.stop();
    emit stateChanged();
}

void Scheduler::resume()
{
    m_paused = false;
    arm();
    emit stateChanged();
}

void Scheduler::onTimeout()
{
    if (!m_running || m_paused || m_inTick)
        return;
    m_inTick = true;
    if (isDue()) {
        scheduleNext(false);
        m_change(checked().order());
    }
    m_inTick = false;
    // The settings window may have been opened during the change; then the scheduler stays stopped.
    arm();
}

void Scheduler::arm()
{
    // While a check runs, its end arms the timer: no second check may start inside the change.
    if (!m_running || m_paused || m_inTick)
        return;
    const qint64 untilDue = m_clock.now().msecsTo(dueAt());
    const int wait = static_cast<int>(std::clamp<qint64>(untilDue, 0, MaxWaitMs));
    m_timer.setTimerType(wait < PreciseBelowMs ? Qt::PreciseTimer : Qt::CoarseTimer);
    m_timer.start(wait);
}
