// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeClock.h"
#include "FakeFileDialogs.h"
#include "FakePrompter.h"
#include "FakeUrlOpener.h"
#include "TempAppFolder.h"
#include "core/LoadedImages.h"
#include "core/Scheduler.h"
#include "core/SettingsFile.h"
#include "core/SettingsSchema.h"
#include "platform/PosixFileSystem.h"
#include "ui/ApplicationShell.h"
#include "ui/TrayController.h"
#include "ui/frmMain.h"

#include <QAction>
#include <QListView>
#include <QMenu>
#include <QTest>

namespace {

/** The program's objects wired as at start, with a recorded change and end. */
struct Program
{
    TempAppFolder folder;
    FakeClock clock;
    FakePrompter prompter;
    SettingsFile file;
    Settings settings;
    LoadedImages images;
    QStringList changes;
    std::function<void()> duringChange;
    int quits = 0;
    bool trayAvailable = true;
    FakeFileDialogs fileDialogs;
    FakeUrlOpener urlOpener;
    Scheduler scheduler;
    TrayController tray;
    ApplicationShell shell;

    explicit Program(int pictures = 2)
        : file(folder.settingsPath(), PosixFileSystem::instance()),
          scheduler(settings, file, clock, prompter, [this](const QString& mode) { onChange(mode); }),
          tray(settings, [this](const QString& mode) { onChange(mode); }),
          shell([this] { return std::make_unique<frmMain>(images, prompter, fileDialogs, urlOpener); },
                images, scheduler, tray, prompter)
    {
        folder.writeSettings("[total]\ntotal=0\n[display]\nsequenceType=1\n[time]\ntimeOption=1\ntimeHour=1\n"
                             "ChangeTime=2030-01-01\n");
        settings = SettingsSchema::readAll(file);
        for (int i = 0; i < pictures; ++i)
            images.Append(QStringLiteral("/p/%1.jpg").arg(i));
        shell.setTrayAvailable([this] { return trayAvailable; });
        shell.setQuit([this] { ++quits; });
    }

    void onChange(const QString& mode)
    {
        changes.append(mode);
        if (duringChange)
            duringChange();
    }

    QAction* item(const char* name) { return tray.menu().findChild<QAction*>(QLatin1String(name)); }
    frmMain& window() { return shell.window(); }
    QListView* list() { return window().findChild<QListView*>(QStringLiteral("List1")); }
};

} // namespace

class tst_Tray : public QObject
{
    Q_OBJECT

private slots:
    void menuHoldsTheThreeCommands();
    void iconEvents_data();
    void iconEvents();
    void flipStepsInListOrderInRandomMode();
    void iconEventsDuringAChangeAreDropped_data();
    void iconEventsDuringAChangeAreDropped();
    void closeRequestsEndWithoutWriting_data();
    void closeRequestsEndWithoutWriting();
    void settingsOpensTheWindowAndStopsTheScheduler_data();
    void settingsOpensTheWindowAndStopsTheScheduler();
    void activateGoesBackToTheTray_data();
    void activateGoesBackToTheTray();
    void withoutATrayTheWindowStaysUntilOneAppears();
};

void tst_Tray::menuHoldsTheThreeCommands()
{
    Program p;
    QStringList captions;
    for (const QAction* action : p.tray.menu().actions())
        captions << action->text();
    QCOMPARE(captions, (QStringList{"Settings", "Flip to next image", "Close and Disable", "",
                                    "Previous image", "Pause changes"}));
    QCOMPARE(p.tray.icon().toolTip(), QStringLiteral(" Tessaly"));
    QVERIFY(!p.tray.icon().icon().isNull());
}

void tst_Tray::iconEvents_data()
{
    QTest::addColumn<int>("reason");
    QTest::addColumn<QStringList>("changes");
    QTest::addColumn<bool>("menuOpens");
    QTest::addRow("left click") << int(QSystemTrayIcon::Trigger) << QStringList{"1"} << false;
    QTest::addRow("right click") << int(QSystemTrayIcon::Context) << QStringList{} << true;
    QTest::addRow("double click") << int(QSystemTrayIcon::DoubleClick) << QStringList{} << false;
    QTest::addRow("middle click") << int(QSystemTrayIcon::MiddleClick) << QStringList{} << false;
    QTest::addRow("unknown") << int(QSystemTrayIcon::Unknown) << QStringList{} << false;
}

void tst_Tray::iconEvents()
{
    QFETCH(int, reason);
    QFETCH(QStringList, changes);
    QFETCH(bool, menuOpens);
    Program p;
    p.tray.onActivated(QSystemTrayIcon::ActivationReason(reason));
    QCOMPARE(p.changes, changes);
    QCOMPARE(p.tray.menu().isVisible(), menuOpens);
    QVERIFY(!p.tray.trayBusy());
    p.tray.menu().hide();
}

void tst_Tray::flipStepsInListOrderInRandomMode()
{
    Program p;
    QCOMPARE(p.settings.sequenceType, QStringLiteral("1"));
    p.item("mnuNextImage")->trigger();
    p.tray.onActivated(QSystemTrayIcon::Trigger);
    QCOMPARE(p.changes, (QStringList{"0", "1"}));
}

void tst_Tray::iconEventsDuringAChangeAreDropped_data()
{
    QTest::addColumn<bool>("fromMenu");
    QTest::addRow("left click's change") << false;
    QTest::addRow("flip's change") << true;
}

void tst_Tray::iconEventsDuringAChangeAreDropped()
{
    QFETCH(bool, fromMenu);
    Program p;
    p.duringChange = [&] {
        p.duringChange = nullptr;
        // The change's wait lets these through the event loop.
        p.tray.onActivated(QSystemTrayIcon::Trigger);
        p.tray.onActivated(QSystemTrayIcon::Context);
    };
    if (fromMenu)
        p.item("mnuNextImage")->trigger();
    else
        p.tray.onActivated(QSystemTrayIcon::Trigger);
    QCOMPARE(p.changes.size(), 1);
    QVERIFY(!p.tray.menu().isVisible());
    QVERIFY(!p.tray.trayBusy());
    p.tray.onActivated(QSystemTrayIcon::Trigger);
    QCOMPARE(p.changes.size(), 2);
}

void tst_Tray::closeRequestsEndWithoutWriting_data()
{
    QTest::addColumn<bool>("fromMenu");
    QTest::addRow("Close and Disable") << true;
    QTest::addRow("window closed") << false;
}

void tst_Tray::closeRequestsEndWithoutWriting()
{
    QFETCH(bool, fromMenu);
    Program p;
    p.shell.goToTray();
    p.shell.mnuOpen_Click();
    p.images.Append(QStringLiteral("/p/unsaved.jpg")); // an edit not yet saved by Activate
    const QByteArray before = p.folder.readSettings();

    if (fromMenu)
        p.item("mnuClose")->trigger();
    else
        QVERIFY(!p.window().close()); // the request ends the program; the window does not close itself

    QCOMPARE(p.quits, 1);
    QVERIFY(!p.tray.isIconShown());
    QVERIFY(!p.scheduler.isRunning());
    QVERIFY(p.changes.isEmpty());
    QCOMPARE(p.folder.readSettings(), before);
}

void tst_Tray::settingsOpensTheWindowAndStopsTheScheduler_data()
{
    QTest::addColumn<int>("pictures");
    QTest::addColumn<int>("selected");
    QTest::addRow("two pictures") << 2 << 0;
    QTest::addRow("empty list") << 0 << -1;
}

void tst_Tray::settingsOpensTheWindowAndStopsTheScheduler()
{
    QFETCH(int, pictures);
    QFETCH(int, selected);
    Program p(pictures);
    p.scheduler.start();
    p.shell.goToTray();
    QVERIFY(!p.shell.builtWindow()); // a start into the tray builds no window
    p.window().collectionAdvice().setShown(true);

    p.item("mnuOpen")->trigger();

    QVERIFY(p.window().isVisible());
    QCOMPARE(p.list()->currentIndex().row(), selected);
    QVERIFY(!p.scheduler.isRunning());
    QVERIFY(!p.scheduler.timer().isActive());
    QVERIFY(!p.window().collectionAdvice().shown());
    QVERIFY(p.tray.isIconShown());
}

void tst_Tray::activateGoesBackToTheTray_data()
{
    QTest::addColumn<int>("pictures");
    QTest::addColumn<bool>("backInTray");
    QTest::addRow("with pictures") << 2 << true;
    QTest::addRow("empty list") << 0 << false;
}

void tst_Tray::activateGoesBackToTheTray()
{
    QFETCH(int, pictures);
    QFETCH(bool, backInTray);
    Program p(pictures);
    p.shell.goToTray();
    p.shell.mnuOpen_Click();
    p.prompter.clear(); // the selected picture does not exist: its preview complains
    Qt::CursorShape duringChange = Qt::ArrowCursor;
    p.duringChange = [&] {
        duringChange = p.window().cursor().shape();
    };

    emit p.window().activateRequested();

    QCOMPARE(p.window().isVisible(), !backInTray);
    QCOMPARE(p.scheduler.isRunning(), backInTray);
    QCOMPARE(p.changes, backInTray ? QStringList{"1"} : QStringList{});
    QCOMPARE(p.prompter.shown().size(), backInTray ? 0 : 1);
    QCOMPARE(duringChange, backInTray ? Qt::WaitCursor : Qt::ArrowCursor);
    QCOMPARE(p.window().cursor().shape(), Qt::ArrowCursor);
    QVERIFY(p.tray.isIconShown());
}

void tst_Tray::withoutATrayTheWindowStaysUntilOneAppears()
{
    Program p;
    p.trayAvailable = false;
    p.shell.setTrayPollInterval(10);
    p.scheduler.start();

    p.shell.goToTray();
    QVERIFY(p.window().isVisible());
    QVERIFY(p.scheduler.isRunning()); // the shown window is not the opened settings window
    QTest::qWait(40);
    QVERIFY(p.window().isVisible());

    // The window stays with the user until they close it; then it goes to the tray.
    p.trayAvailable = true;
    QTest::qWait(40);
    QVERIFY(p.window().isVisible());
    p.window().close();
    QVERIFY(!p.window().isVisible());
    QCOMPARE(p.quits, 0);
    QVERIFY(p.tray.isIconShown());
    QVERIFY(p.scheduler.isRunning());
}

QTEST_MAIN(tst_Tray)
#include "tst_Tray.moc"
