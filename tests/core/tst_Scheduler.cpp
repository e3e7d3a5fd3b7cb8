// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeClock.h"
#include "FakePrompter.h"
#include "LoadedImages.h"
#include "NativeFileSystem.h"
#include "Scheduler.h"
#include "SettingsFile.h"
#include "SettingsSchema.h"
#include "TempAppFolder.h"

#include <QTest>

namespace {

/** Two pictures, a schedule "option everyBoot minutes hours days", and a clock at 2026-03-14 09:00.
 *  Each change is recorded with the ChangeTime and total on disk when it began. */
struct Fixture
{
    TempAppFolder folder;
    FakeClock clock;
    FakePrompter prompter;
    SettingsFile file{folder.settingsPath(), NativeFileSystem::instance()};
    Settings settings;
    QStringList changes;
    bool runningDuringChange = false;
    Scheduler scheduler{settings, file, clock, prompter, [this](CheckedSettings::Order order) {
                            changes << QString::number(int(order)) + ' ' + storedChangeTime() + ' ' +
                                           file.read("total", "total");
                            runningDuringChange = scheduler.isRunning();
                        }};

    Fixture(const QString& schedule, const QString& stored)
    {
        const QStringList s = schedule.split(' ');
        folder.writeSettings(QStringLiteral("[total]\ntotal=2\n[images]\n0=/p/a.jpg\n1=/p/b.jpg\n[display]\n"
                                            "sequenceType=1\n[time]\ntimeOption=%1\nchangeEveryBoot=%2\n"
                                            "timeMin=%3\ntimeHour=%4\ntimeDay=%5\nChangeTime=%6\n")
                                 .arg(s[0], s[1], s[2], s[3], s[4], stored)
                                 .toUtf8());
        settings = SettingsSchema::readAll(file);
    }
    QString storedChangeTime() { return file.read("time", "ChangeTime"); }
};

} // namespace

class tst_Scheduler : public QObject
{
    Q_OBJECT

private slots:
    void check_data()
    {
        QTest::addColumn<QString>("schedule");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("when");     // "start", "activate" or the time of a timer tick
        QTest::addColumn<QString>("expected"); // next due time; empty: no change
        const auto row = [](const char* name, const char* schedule, const char* stored, const char* when,
                            const char* expected) {
            QTest::addRow("%s", name) << schedule << stored << when << expected;
        };
        row("start: minutes change at every start", "0 0 30 2 3", "2026-03-20", "start",
            "2026-03-14 09:30:00");
        row("start: hours passed while off", "1 0 30 2 3", "2026-03-13 22:00:00", "start",
            "2026-03-14 11:00:00");
        row("start: hours a second early", "1 0 30 2 3", "2026-03-14 09:00:01", "start", "");
        row("start: hours every boot", "1 1 30 2 3", "2026-03-20", "start", "2026-03-14 11:00:00");
        row("start: days written at start", "2 0 30 2 3", "2026-03-14 09:00:00", "start", "");
        // 08:00 today is due with hours but not with days: tells the units apart.
        row("start: option 1 is hours", "1 0 30 2 3", "2026-03-14 08:00:00", "start", "2026-03-14 11:00:00");
        row("start: option -1 is days", "-1 0 30 2 3", "2026-03-14 08:00:00", "start", "");
        // A count below 1 would change at every check: the shipped count holds.
        row("out of range: minutes 0", "0 0 0 2 3", "", "start", "2026-03-14 09:30:00");
        row("out of range: hours 0", "1 0 30 0 3", "2020-01-01", "start", "2026-03-14 10:00:00");
        row("out of range: days -2", "2 0 30 2 -2", "2020-01-01", "start", "2026-03-15");
        row("tick: hours at the due second", "1 0 30 2 3", "2026-03-14 10:00:00", "2026-03-14 10:00:00",
            "2026-03-14 12:00:00");
        row("tick: days late that evening", "2 0 30 2 3", "2026-03-15 15:00:00", "2026-03-15 23:59:59", "");
        row("tick: days the midnight after", "2 0 30 2 3", "2026-03-15 15:00:00", "2026-03-16 00:00:00",
            "2026-03-19");
        // Activate changes at once and counts days from now, keeping the time of day.
        row("activate: minutes", "0 0 30 2 3", "2020-01-01", "activate", "2026-03-14 09:30:00");
        row("activate: hours", "1 0 30 2 3", "2020-01-01", "activate", "2026-03-14 11:00:00");
        row("activate: days", "2 0 30 2 3", "2020-01-01", "activate", "2026-03-17 09:00:00");
    }
    void check()
    {
        QFETCH(QString, schedule);
        QFETCH(QString, stored);
        QFETCH(QString, when);
        QFETCH(QString, expected);
        Fixture f(schedule, stored);
        LoadedImages images;
        images.append(QStringLiteral("/p/new.jpg"));
        if (when == "start") {
            f.scheduler.startupCheck();
        } else if (when == "activate") {
            QVERIFY(f.scheduler.activate(images));
            QVERIFY(!f.runningDuringChange); // the timer starts after the change
        } else {
            f.clock.set(QDateTime::fromString(when, "yyyy-MM-dd HH:mm:ss"));
            f.scheduler.start();
            f.scheduler.onTimeout();
        }
        QCOMPARE(f.scheduler.isRunning(), when != "start");
        const bool minutes = schedule.startsWith("0 "); // counted in memory only
        const QString after = expected.isEmpty() || minutes ? stored : expected;
        QCOMPARE(minutes ? f.settings.nextMinuteChange : f.settings.ChangeTime, minutes ? expected : after);
        QCOMPARE(f.storedChangeTime(), after);
        // The due time and the list are on disk before the change.
        const QString total = when == "activate" ? "1" : "2";
        QCOMPARE(f.changes, expected.isEmpty() ? QStringList() : QStringList{"1 " + after + ' ' + total});
    }
};

QTEST_GUILESS_MAIN(tst_Scheduler)
#include "tst_Scheduler.moc"
