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

/** A two-picture list and a schedule; counts are "minutes hours days". The clock reads 2026-03-14 09:00. */
struct Fixture
{
    TempAppFolder folder;
    FakeClock clock;
    FakePrompter prompter;
    SettingsFile file;
    Settings settings;
    QStringList changes;
    QStringList changeTimeAtChange; // on disk when each change began
    QStringList totalAtChange;
    std::function<void()> duringChange;
    Scheduler scheduler;

    Fixture(const QString& option, const QString& stored, const QString& everyBoot = QStringLiteral("0"),
            const QString& counts = QStringLiteral("30 2 3"))
        : file(folder.settingsPath(), PosixFileSystem::instance()),
          scheduler(settings, file, clock, prompter, [this](const QString& mode) { onChange(mode); })
    {
        const QStringList c = counts.split(QLatin1Char(' '));
        folder.writeSettings(
            QStringLiteral("[total]\ntotal=2\n[images]\n0=/p/a.jpg\n1=/p/b.jpg\n"
                           "[display]\nsequenceType=1\n[time]\nchangeEveryBoot=%1\n"
                           "timeOption=%2\ntimeMin=%3\ntimeHour=%4\ntimeDay=%5\nChangeTime=%6\n")
                .arg(everyBoot, option, c[0], c[1], c[2], stored)
                .toUtf8());
        settings = SettingsSchema::readAll(file);
    }
    void onChange(const QString& mode)
    {
        changes.append(mode);
        changeTimeAtChange.append(storedChangeTime());
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
    void check_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("everyBoot");
        QTest::addColumn<QString>("counts");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("tickAt");   // empty: the start-up check
        QTest::addColumn<QString>("expected"); // next due time; empty: no change
        const auto row = [](const char* name, const char* option, const char* everyBoot, const char* counts,
                            const char* stored, const char* tickAt, const char* expected) {
            QTest::addRow("%s", name) << option << everyBoot << counts << stored << tickAt << expected;
        };
        const char* c = "30 2 3";
        row("start: minutes change at every start", "0", "0", c, "2026-03-20", "", "2026-03-14 09:30:00");
        row("start: hours passed while off", "1", "0", c, "2026-03-13 22:00:00", "", "2026-03-14 11:00:00");
        row("start: hours due this second", "1", "0", c, "2026-03-14 09:00:00", "", "2026-03-14 11:00:00");
        row("start: hours a second early", "1", "0", c, "2026-03-14 09:00:01", "", "");
        row("start: hours every boot", "1", "1", c, "2026-03-20", "", "2026-03-14 11:00:00");
        row("start: hours unreadable time", "1", "0", c, "soon", "", "2026-03-14 11:00:00");
        row("start: days written at start", "2", "0", c, "2026-03-14 09:00:00", "", "");
        row("start: days due at midnight", "2", "0", c, "2026-03-14", "", "2026-03-17");
        row("start: days due from yesterday", "2", "0", c, "2026-03-13 15:00:00", "", "2026-03-17");
        row("start: days every boot", "2", "1", c, "2026-04-01", "", "2026-03-17");
        // 08:00 today is due with hours but not with days: tells the units apart.
        row("start: option 1 is hours", "1", "0", c, "2026-03-14 08:00:00", "", "2026-03-14 11:00:00");
        row("start: option 2 is days", "2", "0", c, "2026-03-14 08:00:00", "", "");
        row("start: option -1 is days", "-1", "0", c, "2026-03-14 08:00:00", "", "");
        // A count below 1 would change at every check: it counts as 1.
        row("floor: minutes 0", "0", "0", "0 2 3", "", "", "2026-03-14 09:01:00");
        row("floor: hours 0", "1", "0", "30 0 3", "2020-01-01", "", "2026-03-14 10:00:00");
        row("floor: days -2", "2", "0", "30 2 -2", "2020-01-01", "", "2026-03-15");
        row("tick: hours at the due second", "1", "0", c, "2026-03-14 10:00:00", "2026-03-14 10:00:00",
            "2026-03-14 12:00:00");
        row("tick: hours a second early", "1", "0", c, "2026-03-14 10:00:00", "2026-03-14 09:59:59", "");
        row("tick: every boot plays no part", "1", "1", c, "2026-03-20", "2026-03-14 09:00:00", "");
        row("tick: minutes never computed", "0", "0", c, "2026-03-20", "2026-03-14 09:00:00",
            "2026-03-14 09:30:00");
        row("tick: days at midnight", "2", "0", c, "2026-03-15", "2026-03-15 00:00:00", "2026-03-18");
        row("tick: days late that evening", "2", "0", c, "2026-03-15 15:00:00", "2026-03-15 23:59:59", "");
        row("tick: days the midnight after", "2", "0", c, "2026-03-15 15:00:00", "2026-03-16 00:00:00",
            "2026-03-19");
    }
    void check()
    {
        QFETCH(QString, option);
        QFETCH(QString, everyBoot);
        QFETCH(QString, counts);
        QFETCH(QString, stored);
        QFETCH(QString, tickAt);
        QFETCH(QString, expected);
        Fixture f(option, stored, everyBoot, counts);
        if (tickAt.isEmpty()) {
            f.scheduler.startupCheck();
            QVERIFY(!f.scheduler.isRunning());
        } else {
            f.clock.set(at(tickAt));
            f.scheduler.start();
            f.scheduler.Timer1_Timer();
            QVERIFY(f.scheduler.timer().isActive());
        }
        QCOMPARE(f.changes, expected.isEmpty() ? QStringList{} : QStringList{"1"});
        if (option == "0") {
            // Minutes are counted in memory only.
            QCOMPARE(f.settings.nextMinuteChange, expected);
            QCOMPARE(f.storedChangeTime(), stored);
            return;
        }
        const QString after = expected.isEmpty() ? stored : expected;
        QCOMPARE(f.storedChangeTime(), after);
        QCOMPARE(f.settings.ChangeTime, after);
        if (!expected.isEmpty())
            QCOMPARE(f.changeTimeAtChange, QStringList{expected}); // stored before the change
    }

    void activate_data()
    {
        QTest::addColumn<QString>("option");
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
    void activate()
    {
        QFETCH(QString, option);
        QFETCH(QString, nextMinute);
        QFETCH(QString, changeTime);
        Fixture f(option, QStringLiteral("2020-01-01"));
        LoadedImages images;
        images.Append(QStringLiteral("/p/new.jpg"), QStringLiteral("new"));
        bool runningDuringChange = true;
        f.duringChange = [&] {
            runningDuringChange = f.scheduler.isRunning();
        };

        QVERIFY(f.scheduler.activate(images));
        QVERIFY(f.prompter.shown().isEmpty());
        QCOMPARE(f.changes, QStringList{"1"});
        QCOMPARE(f.settings.nextMinuteChange, nextMinute);
        QCOMPARE(f.storedChangeTime(), changeTime);
        // The list and the due time are on disk before the change; the timer starts after it.
        QCOMPARE(f.totalAtChange, QStringList{"1"});
        QCOMPARE(f.changeTimeAtChange, QStringList{changeTime});
        QVERIFY(!runningDuringChange);
        QVERIFY(f.scheduler.isRunning());
    }

    void activateWithEmptyListChangesNothing_data()
    {
        QTest::addColumn<bool>("wasRunning");
        QTest::addColumn<bool>("blankFirst");
        QTest::addRow("no entries, stopped") << false << false;
        QTest::addRow("no entries, running") << true << false;
        QTest::addRow("first entry blank") << false << true;
    }
    void activateWithEmptyListChangesNothing()
    {
        QFETCH(bool, wasRunning);
        QFETCH(bool, blankFirst);
        Fixture f(QStringLiteral("1"), QStringLiteral("2020-01-01"));
        LoadedImages images;
        if (blankFirst)
            images.AppendPaths({QString(), QStringLiteral("/p/second.jpg")});
        if (wasRunning)
            f.scheduler.start();
        const QByteArray before = f.folder.readSettings();

        QVERIFY(!f.scheduler.activate(images));
        QCOMPARE(f.folder.readSettings(), before);
        QVERIFY(f.changes.isEmpty());
        QCOMPARE(f.scheduler.isRunning(), wasRunning);
        QCOMPARE(f.prompter.texts(), QStringList{"There are no images loaded in program. Load at least one "
                                                 "image file to be displayed."});
        QCOMPARE(f.prompter.shown()[0].icon, PromptIcon::Exclamation);
    }

    void noChangeWhileStopped_data()
    {
        QTest::addColumn<bool>("paused");
        QTest::addRow("settings window open") << false;
        // A pause holds through the window's Activate, which starts the scheduler again.
        QTest::addRow("paused") << true;
    }
    void noChangeWhileStopped()
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

    void noSecondCheckWhileOneRuns()
    {
        Fixture f(QStringLiteral("0"), QString());
        f.scheduler.setMaxWait(1);
        int depth = 0, deepest = 0;
        f.duringChange = [&] {
            deepest = std::max(deepest, ++depth);
            f.settings.nextMinuteChange.clear(); // due again at once, as a slow change would leave it
            f.scheduler.start();                 // Activate pressed during the change's wait
            QTest::qWait(60);                    // a change lets events run while it waits
            --depth;
        };
        f.scheduler.start();
        QTRY_VERIFY(!f.changes.isEmpty());
        f.scheduler.stop();
        QCOMPARE(deepest, 1);
    }

    void clockJumpsAreCaughtAtTheNextWakeUp()
    {
        // Suspend and resume, or a wall clock set forward: the cap stands in for the minute.
        Fixture f(QStringLiteral("2"), QStringLiteral("2026-03-14 14:00:00"));
        f.scheduler.setMaxWait(20);
        f.scheduler.start();
        QTest::qWait(60);
        QVERIFY(f.changes.isEmpty());
        f.clock.advanceMinutes(3 * 24 * 60);
        QTRY_COMPARE_WITH_TIMEOUT(f.changes.size(), 1, 2000);
    }
};

QTEST_GUILESS_MAIN(tst_Scheduler)
#include "tst_Scheduler.moc"
