// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChangeCycle.h"
#include "FakeFolderWatcher.h"
#include "FakePrompter.h"
#include "FakeRandom.h"
#include "FakeScreenInfo.h"
#include "FaultyFileSystem.h"
#include "LoadedImages.h"
#include "NativeFileSystem.h"
#include "RecordingDesktop.h"
#include "SettingsFile.h"
#include "SettingsSchema.h"
#include "TempAppFolder.h"
#include "WatchedFolders.h"

#include <QDir>
#include <QtTest>
#include <random>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace {

/** Everything one change touches, with a list of `count` small pictures "0.png", "1.png", ... */
struct Rig
{
    TempAppFolder folder;
    Settings settings;
    LoadedImages images;
    SettingsFile file{folder.settingsPath(), NativeFileSystem::instance()};
    RecordingDesktop desktop;
    FakePrompter prompter;
    FakeRandom random;
    FakeScreenInfo screen{QSize(160, 120)};
    FaultyFileSystem files;
    ChangeCycle cycle{settings, images, file, folder.folder(), files, desktop, prompter, random, screen};
    QList<ChangeOutcome> outcomes;

    explicit Rig(int count, const QString& imageNum = QStringLiteral("0"), const QByteArray& more = {})
    {
        folder.seedShippedData();
        folder.writeSettings("[display]\nimageNum=" + imageNum.toUtf8() + "\n" + more);
        settings = SettingsSchema::readAll(file);
        settings.imageNum = imageNum; // as held in memory, even when the file's text would not read
        cycle.setSettleTime(0);
        for (int i = 0; i < count; ++i) {
            QImage picture(32, 24, QImage::Format_RGB32);
            picture.fill(QColor::fromHsv(i * 40 % 360, 200, 200));
            picture.save(folder.file(QStringLiteral("%1.png").arg(i)));
            images.append(folder.file(QStringLiteral("%1.png").arg(i)), QStringLiteral("Caption %1").arg(i));
        }
    }
    /** Asks for a change; its outcome joins `outcomes` when it is over. */
    void ask(ChangeCycle::Order order = ChangeCycle::Order::List)
    {
        cycle.change(order, [this](const ChangeOutcome& outcome) { outcomes << outcome; });
    }
    /** One change, waited for: whether it was applied. */
    bool change(ChangeCycle::Order order = ChangeCycle::Order::List)
    {
        const qsizetype before = outcomes.size();
        ask(order);
        return QTest::qWaitFor([&] { return outcomes.size() > before; }, 20000) &&
               outcomes.last().result == ChangeOutcome::Result::Applied;
    }
    QString fileIndex() { return file.read(QStringLiteral("display"), QStringLiteral("imageNum")); }
    QString bitmapPath() const { return folder.file(QStringLiteral("tessaly.bmp")); }
};

/**
 * One change: order, list length, index before, number drawn, index after, display type, style, and
 * whether the desktop would scale a bitmap smaller than the screen.
 */
struct Step
{
    ChangeCycle::Order order;
    int count;
    QString current;
    float drawn;
    QString expected;
    const char* displayType = "0";
    QString style = QStringLiteral("Stretch");
    bool desktopScales = false;
};

} // namespace

Q_DECLARE_METATYPE(Step)

class tst_ChangeCycle : public QObject
{
    Q_OBJECT

private slots:
    void choosesTheNextIndex_data()
    {
        QTest::addColumn<Step>("step");
        using O = ChangeCycle::Order;
        QTest::addRow("list: second to last, centred") << Step{O::List, 3, "1", 0, "2", "1", "Center"};
        // Placed on a screen-sized bitmap by us, so that such a desktop shows it 1:1.
        QTest::addRow("list: centred for a desktop that scales")
            << Step{O::List, 3, "1", 0, "2", "1", "Stretch", true};
        QTest::addRow("list: wraps after the last") << Step{O::List, 3, "2", 0, "0"};
        QTest::addRow("list: shrunk list restarts") << Step{O::List, 3, "7", 0, "0"};
        QTest::addRow("list: tiled") << Step{O::List, 3, "0", 0, "1", "2"};
        QTest::addRow("random: lowest") << Step{O::Random, 5, "3", 0, "0"};
        QTest::addRow("random: highest") << Step{O::Random, 5, "0", 0.9999f, "4"};
        // Four others to draw from: 0.5 picks the third of 0, 1, 3, 4.
        QTest::addRow("random: never the one on screen") << Step{O::Random, 5, "2", 0.5f, "3"};
        QTest::addRow("random: last on screen") << Step{O::Random, 5, "4", 0.9999f, "3"};
    }
    void choosesTheNextIndex()
    {
        QFETCH(Step, step);
        Rig rig(step.count, step.current, "displayType=" + QByteArray(step.displayType) + "\n");
        rig.random.queue({step.drawn});
        rig.desktop.scales = step.desktopScales;
        QVERIFY(rig.change(step.order));
        QCOMPARE(rig.prompter.texts(), QStringList());
        QCOMPARE(rig.random.seeds(), 1);
        QCOMPARE(rig.settings.imageNum, step.expected);
        QCOMPARE(rig.fileIndex(), step.expected);
        QCOMPARE(rig.desktop.applied().size(), 1);
        QCOMPARE(rig.desktop.applied().first().path, rig.bitmapPath());
        QCOMPARE(rig.desktop.applied().first().style, step.style);
        // Centred, the picture's own block, which its caption may make wider; otherwise the screen.
        const QImage bitmap(rig.bitmapPath());
        QCOMPARE(bitmap.height(), step.style == "Center" ? 24 : 120);
        QCOMPARE(bitmap.width() < 160, step.style == "Center");
    }

    void failuresAreToldAndNothingIsRecorded_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("told"); // words the message must hold
        QTest::addRow("bitmap cannot be written")
            << "bitmap is a folder" << QStringLiteral("it is a folder, not a plain file");
        // Rows of a photo go to the file while it decodes, on another thread.
        QTest::addRow("disk full while a photo decodes") << "disk full" << QStringLiteral("No space left");
#ifndef Q_OS_WIN
        QTest::addRow("fallback is a named pipe") << "fallback pipe" << QStringLiteral("named pipe");
#endif
        QTest::addRow("desktop refuses") << "desktop" << QStringLiteral("GNOME: gsettings is not installed");
    }
    void failuresAreToldAndNothingIsRecorded()
    {
        QFETCH(QString, fault);
        QFETCH(QString, told);
        Rig rig(3);
        const QString fallback = rig.folder.file(QStringLiteral("badimage.bmp"));
        if (fault == "bitmap is a folder")
            QVERIFY(QDir(rig.folder.folder()).mkdir(QStringLiteral("tessaly.bmp")));
#ifndef Q_OS_WIN
        if (fault == "fallback pipe")
            QVERIFY(QFile::remove(rig.images.pathAt(1)) && QFile::remove(fallback) &&
                    ::mkfifo(QFile::encodeName(fallback).constData(), 0600) == 0);
#endif
        if (fault == "desktop")
            rig.desktop.failWith(told);
        if (fault == "disk full") {
            QImage photo(400, 300, QImage::Format_RGB32);
            photo.fill(Qt::darkCyan);
            QVERIFY(photo.save(rig.images.pathAt(1), "JPEG"));
            rig.files.failAt(FaultyFileSystem::Step::Write, "No space left on device", 20000);
        }
        QVERIFY(!rig.change());
        QCOMPARE(rig.prompter.shown().size(), 1);
        QVERIFY2(rig.prompter.texts().first().contains(told), qPrintable(rig.prompter.texts().first()));
        QCOMPARE(rig.prompter.shown().first().icon, PromptIcon::Exclamation);
        QCOMPARE(rig.desktop.applied().size(), fault == "desktop" ? 1 : 0);
        QCOMPARE(rig.fileIndex(), QStringLiteral("0"));
        QCOMPARE(QDir(rig.folder.folder()).entryList({".tessaly.bmp.*"}, QDir::Hidden | QDir::Files), {});
        // The program carries on: the next change works and is recorded.
        rig.desktop.failWith(QString());
        rig.files.failAt(FaultyFileSystem::Step::None);
        QDir(rig.folder.folder()).rmdir(QStringLiteral("tessaly.bmp"));
        QVERIFY(rig.change());
        QCOMPARE(rig.fileIndex(), QStringLiteral("2"));
    }

    void oneChangeRunsAndOneMoreWaits()
    {
        Rig rig(5);
        rig.desktop.hold();
        rig.ask();
        // The change is being applied on its own thread; this one is free and takes a burst of requests.
        QTRY_VERIFY(rig.desktop.isWaiting());
        for (int i = 0; i < 100; ++i)
            rig.ask();
        QCOMPARE(rig.outcomes.size(), 99);
        for (const ChangeOutcome& outcome : std::as_const(rig.outcomes)) {
            QCOMPARE(outcome.result, ChangeOutcome::Result::Refused);
            QCOMPARE(outcome.reason, QStringLiteral("a change is already waiting"));
        }
        rig.desktop.release();
        rig.desktop.release();
        QTRY_COMPARE(rig.outcomes.size(), 101);
        QCOMPARE(rig.outcomes[99].result, ChangeOutcome::Result::Applied);
        QCOMPARE(rig.outcomes[100].result, ChangeOutcome::Result::Applied);
        QCOMPARE(rig.desktop.applied().size(), 2);
        QCOMPARE(rig.fileIndex(), QStringLiteral("2"));
    }

    void remakesOnlyWhatWasMadeForOtherMonitors()
    {
        Rig rig(3, QStringLiteral("1"));
        rig.cycle.noteShownAtStart();
        const QSize screen(160, 120), blip(100, 80);
        // A burst of screen events settles: the screen as it is now.
        const auto settled = [&rig](QSize now) {
            rig.screen.geometry.logicalSize = now;
            rig.cycle.recompose([&rig](const ChangeOutcome& outcome) { rig.outcomes << outcome; });
        };
        // Off and on again with nothing running: what is on screen was made for these monitors.
        settled(screen);
        QCOMPARE(rig.outcomes.size(), 1);
        QCOMPARE(rig.outcomes[0].result, ChangeOutcome::Result::Refused);
        // A change made in the blip is made again after it, the list not moved on: the burst settles while
        // the change is applied, then once more after a change made wholly within a blip.
        rig.desktop.hold();
        rig.screen.geometry.logicalSize = blip;
        rig.ask();
        QTRY_VERIFY(rig.desktop.isWaiting());
        settled(screen);
        for (int i = 0; i < 4; ++i)
            rig.desktop.release();
        QTRY_COMPARE(rig.outcomes.size(), 3);
        rig.screen.geometry.logicalSize = blip;
        QVERIFY(rig.change());
        settled(screen);
        QTRY_COMPARE(rig.outcomes.size(), 5);
        for (const int i : {1, 2, 3, 4})
            QCOMPARE(rig.outcomes[i].result, ChangeOutcome::Result::Applied);
        QCOMPARE(rig.desktop.applied().size(), 4);
        QCOMPARE(QImage(rig.bitmapPath()).size(), screen);
        QCOMPARE(rig.fileIndex(), QStringLiteral("0"));
    }

    void stopAbandonsTheRunningChange()
    {
        Rig rig(3);
        rig.cycle.setSettleTime(600 * 1000);
        rig.ask();
        rig.ask();
        // Saved and resting before it is applied: the end comes now.
        QTRY_VERIFY(QFile::exists(rig.bitmapPath()));
        rig.cycle.stop();
        QCOMPARE(rig.outcomes.size(), 1);
        QTRY_COMPARE(rig.outcomes.size(), 2);
        for (const ChangeOutcome& outcome : std::as_const(rig.outcomes))
            QCOMPARE(outcome.reason, QStringLiteral("Tessaly is ending"));
        rig.ask();
        QCOMPARE(rig.outcomes.size(), 3);
        QCOMPARE(rig.desktop.applied().size(), 0);
        QCOMPARE(rig.fileIndex(), QStringLiteral("0"));
    }

    void handsEachMonitorItsOwnFileAndKeepsOnlyThoseOnScreen_data()
    {
        QTest::addColumn<bool>("fresh");       // whether the desktop asks for names it was never given
        QTest::addColumn<QString>("expected"); // the bitmaps left after each change: one monitor, two, one
        QTest::addRow("fresh names") << true
                                     << "tessaly-1.bmp tessaly.bmp|tessaly-Left-2.bmp tessaly-Right-2.bmp|"
                                        "tessaly-3.bmp tessaly.bmp";
        // sway, which reads the one bitmap afresh each time, still gets parts under names of their own.
        QTest::addRow("the bitmap's own path") << false
                                               << "tessaly.bmp|tessaly-Left-1.bmp tessaly-Right-1.bmp|"
                                                  "tessaly.bmp";
    }
    void handsEachMonitorItsOwnFileAndKeepsOnlyThoseOnScreen()
    {
        QFETCH(bool, fresh);
        QFETCH(QString, expected);
        Rig rig(3);
        rig.desktop.intake = DesktopBackend::Takes::FilePerMonitor;
        rig.desktop.fresh = fresh;
        const ScreenGeometry right{QSize(100, 80), 1.0, 96.0, {}};
        const QList<MonitorGeometry> two{{"Left", QRect(0, 0, 160, 120), rig.screen.geometry},
                                         {"Right", QRect(160, 20, 100, 80), right}};
        QStringList left;
        for (const bool several : {false, true, false}) {
            rig.screen.several = several ? two : QList<MonitorGeometry>();
            QVERIFY(rig.change());
            const QStringList handed = rig.desktop.applied().last().path.split('\n');
            QCOMPARE(handed.size(), several ? 2 : 1);
            // Each part made for its own monitor, whole.
            for (qsizetype i = 0; several && i < handed.size(); ++i)
                QCOMPARE(QImage(handed.at(i)).size(), two.at(i).place.size());
            left << QDir(rig.folder.folder()).entryList({"tessaly*.bmp"}, QDir::Files, QDir::Name).join(' ');
        }
        QCOMPARE(left.join('|'), expected);
    }

    void shuffleShowsEachOnceARound()
    {
        // The stored word is a choice of its own, not a malformed number to be replaced.
        Rig rig(5, QStringLiteral("2"), "sequenceType=shuffle\n");
        QCOMPARE(rig.settings.sequenceType, QStringLiteral("shuffle"));
        std::mt19937 seeded(15);
        std::uniform_real_distribution<float> uniform(0.0f, 0.999f);
        for (int i = 0; i < 200; ++i)
            rig.random.queue({uniform(seeded)});
        QList<int> shown{2};
        for (int i = 0; i < 15; ++i) {
            QVERIFY(rig.change(ChangeCycle::Order::Shuffle));
            shown << rig.settings.imageNum.toInt();
            QVERIFY(shown.last() != shown[shown.size() - 2]);
        }
        for (int round = 0; round < 3; ++round) {
            QList<int> seen = shown.mid(1 + 5 * round, 5);
            std::sort(seen.begin(), seen.end());
            QCOMPARE(seen, (QList<int>{0, 1, 2, 3, 4}));
        }
    }

    void watchedFolderReachesTheList_data()
    {
        QTest::addColumn<int>("reports");
        QTest::addColumn<bool>("unsaved");
        QTest::addColumn<bool>("gone");
        QTest::addRow("a burst of reports: one look, one save") << 300 << false << false;
        QTest::addRow("unsaved edits: the pictures wait for them to be saved") << 3 << true << false;
        QTest::addRow("the folder gone: its pictures kept and passed over") << 1 << false << true;
    }
    void watchedFolderReachesTheList()
    {
        QFETCH(int, reports);
        QFETCH(bool, unsaved);
        QFETCH(bool, gone);
        Rig rig(2);
        QVERIFY(rig.images.saveToSettings(rig.file));
        const QString folder = rig.folder.file(QStringLiteral("watched"));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/sub")));
        FaultyFileSystem counted;
        SettingsFile file(rig.folder.settingsPath(), counted);
        FakeFolderWatcher watcher;
        WatchedFolders watched(rig.settings, rig.images, file, rig.files, watcher, rig.cycle, rig.prompter);
        watched.start();
        const QStringList names{QStringLiteral("b.png"), QStringLiteral("sub/a.png"),
                                QStringLiteral("c.png")};
        if (gone)
            writePictures(folder, names);
        QVERIFY(watched.watch(folder).ok());
        QTRY_VERIFY(watched.isIdle());
        if (unsaved)
            rig.images.setCaption(0, QStringLiteral("not saved yet"));
        if (gone)
            QVERIFY(QDir(folder).removeRecursively());
        counted.renames = 0;
        // Each picture reported as it is written, as a copy does: the reports make one look all the same.
        for (int i = 0; i < reports; ++i) {
            if (!gone && i < names.size()) {
                writePictures(folder, {names.at(i)});
                QTest::qWait(200);
            }
            emit watcher.folderChanged(folder + QStringLiteral("/sub"));
        }
        QTest::qWait(WatchedFolders::QuietMs + 1000);
        QTRY_VERIFY(watched.isIdle() || unsaved);
        const QStringList listed{rig.folder.file(QStringLiteral("0.png")),
                                 rig.folder.file(QStringLiteral("1.png")), folder + QStringLiteral("/b.png"),
                                 folder + QStringLiteral("/c.png"), folder + QStringLiteral("/sub/a.png")};
        if (unsaved) {
            QCOMPARE(rig.images.paths(), listed.first(2));
            QCOMPARE(counted.renames, 0);
            QVERIFY(rig.images.saveToSettings(rig.file));
            watched.listSettled();
            QTRY_VERIFY(watched.isIdle());
            QCOMPARE(rig.images.captionAt(0), QStringLiteral("not saved yet"));
        }
        QCOMPARE(rig.images.paths(), listed);
        QCOMPARE(counted.renames, gone ? 0 : 1);
        QCOMPARE(watched.polledCount(), gone ? 1 : 0);
        // From the first picture on in list order, the gone folder's three are passed over.
        for (int change = 0; change < 3; ++change) {
            QVERIFY(rig.change());
            QCOMPARE(rig.cycle.shown()->path, listed.at(gone ? (change + 1) % 2 : change + 1));
        }
        QVERIFY(rig.prompter.shown().isEmpty());
    }

private:
    /** Pictures written long ago: complete, not being copied. */
    static void writePictures(const QString& folder, const QStringList& names)
    {
        for (const QString& name : names) {
            QImage picture(8, 8, QImage::Format_RGB32);
            picture.fill(Qt::red);
            QVERIFY(picture.save(folder + QLatin1Char('/') + name));
            QFile file(folder + QLatin1Char('/') + name);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addDays(-1),
                                     QFileDevice::FileModificationTime));
        }
    }
};

QTEST_MAIN(tst_ChangeCycle)
#include "tst_ChangeCycle.moc"
