// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeClock.h"
#include "FakePrompter.h"
#include "TempAppFolder.h"
#include "core/LoadedImages.h"
#include "core/Scheduler.h"
#include "core/SettingsFile.h"
#include "core/SettingsSchema.h"
#include "platform/PosixFileSystem.h"

#include <QTest>

namespace {

QDateTime at(const QString& text)
{
    return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

/** A settings file with the schedule given, a two-picture list, and a scheduler over it. */
struct Fixture
{
    TempAppFolder folder;
    FakeClock clock;
    FakePrompter prompter;
    SettingsFile file;
    Settings settings;
    QStringList changes;
    // What the settings file held when each change began.
    QStringList changeTimeAtChange;
    QStringList totalAtChange;
    std::function<void()> duringChange;
    Scheduler scheduler;

    Fixture(const QString& timeOption, const QString& changeTime,
            const QString& everyBoot = QStringLiteral("0"))
        : file(folder.settingsPath(), PosixFileSystem::instance()),
          scheduler(settings, file, clock, prompter, [this](const QString& mode) { onChange(mode); })
    {
        folder.writeSettings(
            QStringLiteral("[total]\ntotal=2\n[images]\n0=/p/a.jpg\n1=/p/b.jpg\n"
                           "[display]\nsequenceType=1\n[time]\nchangeEveryBoot=%1\n"
                           "timeOption=%2\ntimeMin=30\ntimeHour=2\ntimeDay=3\nChangeTime=%3\n")
                .arg(everyBoot, timeOption, changeTime)
                .toUtf8());
        settings = SettingsSchema::readAll(file);
    }

    void onChange(const QString& mode)
    {
        changes.append(mode);
        changeTimeAtChange.append(file.read(QStringLiteral("time"), QStringLiteral("ChangeTime")));
        totalAtChange.append(file.read(QStringLiteral("total"), QStringLiteral("total")));
        if (duringChange)
            duringChange();
    }

    QString storedChangeTime() { return file.read(QStringLiteral("time"), QStringLiteral("ChangeTime")); }
};

} // namespace

class tst_Scheduler : public QObject
{
    Q_OBJECT

private slots:
    void startupCheck_data();
    void startupCheck();
    void tick_data();
    void tick();
    void activate_data();
    void activate();
    void activateWithEmptyListChangesNothing_data();
    void activateWithEmptyListChangesNothing();
    void daysRhythmAfterActivate();
    void noChangeWhileStopped_data();
    void noChangeWhileStopped();
    void stopDuringChangeKeepsSchedulerStopped();
    void noSecondCheckWhileOneRuns();
    void sleepsUntilDueButAtMostAMinute_data();
    void sleepsUntilDueButAtMostAMinute();
    void clockJumpsAreCaughtAtTheNextWakeUp_data();
    void clockJumpsAreCaughtAtTheNextWakeUp();
};

void tst_Scheduler::startupCheck_data()
{
    QTest::addColumn<QString>("timeOption");
    QTest::addColumn<QString>("everyBoot");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("changes");
    QTest::addColumn<QString>("expected"); // ChangeTime afterwards; nextMinuteChange with minutes

    // The clock reads 2026-03-14 09:00:00.
    QTest::addRow("minutes change at every start") << "0"
                                                   << "0"
                                                   << "2026-03-20" << true << "2026-03-14 09:30:00";
    QTest::addRow("hours passed while off") << "1"
                                            << "0"
                                            << "2026-03-13 22:00:00" << true << "2026-03-14 11:00:00";
    QTest::addRow("hours due this second") << "1"
                                           << "0"
                                           << "2026-03-14 09:00:00" << true << "2026-03-14 11:00:00";
    QTest::addRow("hours a second early") << "1"
                                          << "0"
                                          << "2026-03-14 09:00:01" << false << "2026-03-14 09:00:01";
    QTest::addRow("hours every boot") << "1"
                                      << "1"
                                      << "2026-03-20" << true << "2026-03-14 11:00:00";
    QTest::addRow("hours unreadable time") << "1"
                                           << "0"
                                           << "soon" << true << "2026-03-14 11:00:00";
    QTest::addRow("days written at start") << "2"
                                           << "0"
                                           << "2026-03-14 09:00:00" << false << "2026-03-14 09:00:00";
    QTest::addRow("days due at midnight") << "2"
                                          << "0"
                                          << "2026-03-14" << true << "2026-03-17";
    QTest::addRow("days due from yesterday") << "2"
                                             << "0"
                                             << "2026-03-13 15:00:00" << true << "2026-03-17";
    QTest::addRow("days every boot") << "2"
                                     << "1"
                                     << "2026-04-01" << true << "2026-03-17";
    // 08:00 today is due with hours but not with days: tells the units apart.
    QTest::addRow("option 1 is hours") << "1"
                                       << "0"
                                       << "2026-03-14 08:00:00" << true << "2026-03-14 11:00:00";
    QTest::addRow("option 2 is days") << "2"
                                      << "0"
                                      << "2026-03-14 08:00:00" << false << "2026-03-14 08:00:00";
    QTest::addRow("option 3 is days") << "3"
                                      << "0"
                                      << "2026-03-14 08:00:00" << false << "2026-03-14 08:00:00";
    QTest::addRow("option -1 is days") << "-1"
                                       << "0"
                                       << "2026-03-14 08:00:00" << false << "2026-03-14 08:00:00";
}

void tst_Scheduler::startupCheck()
{
    QFETCH(QString, timeOption);
    QFETCH(QString, everyBoot);
    QFETCH(QString, stored);
    QFETCH(bool, changes);
    QFETCH(QString, expected);
    Fixture f(timeOption, stored, everyBoot);

    f.scheduler.startupCheck();

    QCOMPARE(f.changes, changes ? QStringList{"1"} : QStringList{});
    if (timeOption == "0") {
        QCOMPARE(f.settings.nextMinuteChange, expected);
        QCOMPARE(f.storedChangeTime(), stored);
        QVERIFY(!f.folder.readSettings().contains("nextMinuteChange"));
        return;
    }
    QCOMPARE(f.settings.ChangeTime, expected);
    QCOMPARE(f.storedChangeTime(), expected);
    if (changes)
        QCOMPARE(f.changeTimeAtChange, QStringList{expected}); // stored before the change
    QVERIFY(!f.scheduler.isRunning());
}

void tst_Scheduler::tick_data()
{
    QTest::addColumn<QString>("timeOption");
    QTest::addColumn<QString>("everyBoot");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("expected");

    QTest::addRow("hours at the due second")
        << "1"
        << "0"
        << "2026-03-14 10:00:00" << at("2026-03-14 10:00:00") << "2026-03-14 12:00:00";
    QTest::addRow("hours a second early") << "1"
                                          << "0"
                                          << "2026-03-14 10:00:00" << at("2026-03-14 09:59:59") << "";
    QTest::addRow("every boot plays no part") << "1"
                                              << "1"
                                              << "2026-03-20" << at("2026-03-14 09:00:00") << "";
    QTest::addRow("minutes never computed")
        << "0"
        << "0"
        << "2026-03-20" << at("2026-03-14 09:00:00") << "2026-03-14 09:30:00";
    QTest::addRow("days at midnight") << "2"
                                      << "0"
                                      << "2026-03-15" << at("2026-03-15 00:00:00") << "2026-03-18";
    QTest::addRow("days late that evening") << "2"
                                            << "0"
                                            << "2026-03-15 15:00:00" << at("2026-03-15 23:59:59") << "";
    QTest::addRow("days the midnight after")
        << "2"
        << "0"
        << "2026-03-15 15:00:00" << at("2026-03-16 00:00:00") << "2026-03-19";
}

void tst_Scheduler::tick()
{
    QFETCH(QString, timeOption);
    QFETCH(QString, everyBoot);
    QFETCH(QString, stored);
    QFETCH(QDateTime, now);
    QFETCH(QString, expected);
    Fixture f(timeOption, stored, everyBoot);
    f.clock.set(now);
    f.scheduler.start();

    f.scheduler.Timer1_Timer();

    QCOMPARE(f.changes, expected.isEmpty() ? QStringList{} : QStringList{"1"});
    const QString after = timeOption == "0" ? f.settings.nextMinuteChange : f.storedChangeTime();
    QCOMPARE(after, expected.isEmpty() ? stored : expected);
    QVERIFY(f.scheduler.timer().isActive());
}

void tst_Scheduler::activate_data()
{
    QTest::addColumn<QString>("timeOption");
    QTest::addColumn<QString>("nextMinute");
    QTest::addColumn<QString>("changeTime");

    // Activate counts days from now, keeping the time of day; nothing else moves ChangeTime.
    QTest::addRow("minutes") << "0"
                             << "2026-03-14 09:30:00"
                             << "2020-01-01";
    QTest::addRow("hours") << "1"
                           << ""
                           << "2026-03-14 11:00:00";
    QTest::addRow("days") << "2"
                          << ""
                          << "2026-03-17 09:00:00";
}

void tst_Scheduler::activate()
{
    QFETCH(QString, timeOption);
    QFETCH(QString, nextMinute);
    QFETCH(QString, changeTime);
    Fixture f(timeOption, QStringLiteral("2020-01-01"));
    LoadedImages images;
    images.Append(QStringLiteral("/p/new.jpg"), QStringLiteral("new"));
    FakePrompter& prompter = f.prompter;
    bool runningDuringChange = true;
    f.duringChange = [&] {
        runningDuringChange = f.scheduler.isRunning();
    };

    QVERIFY(f.scheduler.activate(images));

    QVERIFY(prompter.shown().isEmpty());
    QCOMPARE(f.changes, QStringList{"1"});
    QCOMPARE(f.settings.nextMinuteChange, nextMinute);
    QCOMPARE(f.storedChangeTime(), changeTime);
    // The list and the due time are on disk before the change; the timer starts after it.
    QCOMPARE(f.totalAtChange, QStringList{"1"});
    QCOMPARE(f.changeTimeAtChange, QStringList{changeTime});
    QVERIFY(!runningDuringChange);
    QVERIFY(f.scheduler.isRunning());
    QCOMPARE(f.file.read(QStringLiteral("images"), QStringLiteral("0")), QStringLiteral("/p/new.jpg"));
}

void tst_Scheduler::activateWithEmptyListChangesNothing_data()
{
    QTest::addColumn<bool>("wasRunning");
    QTest::addColumn<QString>("firstPath");
    QTest::addRow("no entries, stopped") << false << "";
    QTest::addRow("no entries, running") << true << "";
    QTest::addRow("first entry blank") << false << "-";
}

void tst_Scheduler::activateWithEmptyListChangesNothing()
{
    QFETCH(bool, wasRunning);
    QFETCH(QString, firstPath);
    Fixture f(QStringLiteral("1"), QStringLiteral("2020-01-01"));
    LoadedImages images;
    if (firstPath == "-") {
        images.Append(QString());
        images.Append(QStringLiteral("/p/second.jpg"));
    }
    FakePrompter& prompter = f.prompter;
    if (wasRunning)
        f.scheduler.start();
    const QByteArray before = f.folder.readSettings();

    QVERIFY(!f.scheduler.activate(images));

    QCOMPARE(f.folder.readSettings(), before);
    QVERIFY(f.changes.isEmpty());
    QCOMPARE(f.scheduler.isRunning(), wasRunning);
    QCOMPARE(prompter.shown().size(), 1);
    QCOMPARE(prompter.shown()[0].text, QString::fromLatin1(Scheduler::EmptyListMessage));
    QCOMPARE(prompter.shown()[0].icon, PromptIcon::Exclamation);
    QCOMPARE(prompter.shown()[0].buttons, PromptButtons::Ok);
}

void tst_Scheduler::daysRhythmAfterActivate()
{
    Fixture f(QStringLiteral("2"), QStringLiteral("2020-01-01"));
    f.settings.timeDay = QStringLiteral("1");
    f.clock.set(at("2026-03-14 15:00:00"));
    LoadedImages images;
    images.Append(QStringLiteral("/p/a.jpg"));
    QVERIFY(f.scheduler.activate(images));
    QCOMPARE(f.storedChangeTime(), QStringLiteral("2026-03-15 15:00:00"));

    const QList<std::pair<QString, QString>> ticks = {
        {"2026-03-15 15:00:00", "2026-03-15 15:00:00"}, {"2026-03-15 23:59:59", "2026-03-15 15:00:00"},
        {"2026-03-16 00:00:00", "2026-03-17"},          {"2026-03-16 12:00:00", "2026-03-17"},
        {"2026-03-17 00:00:00", "2026-03-18"},
    };
    for (const auto& [when, stored] : ticks) {
        f.clock.set(at(when));
        f.scheduler.Timer1_Timer();
        QCOMPARE(f.storedChangeTime(), stored);
    }
    QCOMPARE(f.changes.size(), 3); // Activate, then the two midnights
}

void tst_Scheduler::noChangeWhileStopped_data()
{
    QTest::addColumn<bool>("paused");
    QTest::addRow("settings window open") << false;
    // A pause holds through the window's Activate, which starts the scheduler again.
    QTest::addRow("paused") << true;
}

void tst_Scheduler::noChangeWhileStopped()
{
    QFETCH(bool, paused);
    Fixture f(QStringLiteral("0"), QString());
    f.scheduler.setMaxWait(5);
    f.scheduler.start();
    if (paused) {
        f.scheduler.pause();
        f.scheduler.start();
    } else {
        f.scheduler.stop();
    }
    f.clock.advanceMinutes(7 * 24 * 60);
    QTest::qWait(50);
    f.scheduler.Timer1_Timer(); // a tick already queued when the window opened
    QVERIFY(f.changes.isEmpty());
    QVERIFY(!f.scheduler.timer().isActive());
    if (paused) {
        f.scheduler.resume();
        QTRY_COMPARE(f.changes.size(), 1);
    }
}

void tst_Scheduler::stopDuringChangeKeepsSchedulerStopped()
{
    Fixture f(QStringLiteral("0"), QString());
    f.duringChange = [&] {
        f.scheduler.stop();
    };
    f.scheduler.start();
    f.scheduler.Timer1_Timer();
    QCOMPARE(f.changes.size(), 1);
    QVERIFY(!f.scheduler.isRunning());
    QVERIFY(!f.scheduler.timer().isActive());
}

void tst_Scheduler::noSecondCheckWhileOneRuns()
{
    Fixture f(QStringLiteral("0"), QString());
    f.scheduler.setMaxWait(1);
    int depth = 0;
    int deepest = 0;
    bool timerActiveDuringChange = false;
    f.duringChange = [&] {
        deepest = std::max(deepest, ++depth);
        f.settings.nextMinuteChange.clear(); // due again at once, as a slow change would leave it
        f.scheduler.start();                 // Activate pressed during the change's wait
        timerActiveDuringChange = timerActiveDuringChange || f.scheduler.timer().isActive();
        QTest::qWait(60); // a change lets events run while it waits
        --depth;
    };
    f.scheduler.start();
    QTRY_VERIFY(!f.changes.isEmpty());
    f.scheduler.stop();
    QCOMPARE(deepest, 1);
    QVERIFY(!timerActiveDuringChange);
}

void tst_Scheduler::sleepsUntilDueButAtMostAMinute_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("interval");
    QTest::addRow("due in hours") << "2026-03-14 14:00:00" << Scheduler::MaxWaitMs;
    QTest::addRow("due in 61 s") << "2026-03-14 09:01:01" << Scheduler::MaxWaitMs;
    QTest::addRow("due in 30 s") << "2026-03-14 09:00:30" << 30000;
    QTest::addRow("due now") << "2026-03-14 09:00:00" << 0;
    QTest::addRow("overdue") << "2026-03-01 09:00:00" << 0;
}

void tst_Scheduler::sleepsUntilDueButAtMostAMinute()
{
    QFETCH(QString, stored);
    QFETCH(int, interval);
    Fixture f(QStringLiteral("1"), stored);
    f.duringChange = [&] {
        f.scheduler.stop();
    };
    f.scheduler.start();
    QCOMPARE(f.scheduler.timer().interval(), interval);
    QVERIFY(f.scheduler.timer().isSingleShot());
}

void tst_Scheduler::clockJumpsAreCaughtAtTheNextWakeUp_data()
{
    QTest::addColumn<QString>("timeOption");
    QTest::addColumn<qint64>("jumpMinutes");
    QTest::addRow("wall clock set forward") << "1" << qint64(6 * 60);
    QTest::addRow("resume after three days") << "2" << qint64(3 * 24 * 60);
}

void tst_Scheduler::clockJumpsAreCaughtAtTheNextWakeUp()
{
    QFETCH(QString, timeOption);
    QFETCH(qint64, jumpMinutes);
    Fixture f(timeOption, QStringLiteral("2026-03-14 14:00:00"));
    // The cap stands in for the minute: after a jump the next wake-up is at most one cap away.
    f.scheduler.setMaxWait(20);
    f.scheduler.start();
    QTest::qWait(60);
    QVERIFY(f.changes.isEmpty());
    f.clock.advanceMinutes(jumpMinutes);
    QTRY_COMPARE_WITH_TIMEOUT(f.changes.size(), 1, 2000);
}

QTEST_GUILESS_MAIN(tst_Scheduler)
#include "tst_Scheduler.moc"
