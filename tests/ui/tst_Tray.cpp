// SPDX-License-Identifier: GPL-3.0-or-later
// The running program's objects wired as at start: the tray icon and its menu, the settings window's
// trips to and from the tray, and the commands the command line sends.
#include "AddCommand.h"
#include "ApplicationShell.h"
#include "ChangeCycle.h"
#include "ControlCommands.h"
#include "FakeClock.h"
#include "FakeFileDialogs.h"
#include "FakeLoginStart.h"
#include "FakePrompter.h"
#include "FakeRandom.h"
#include "FakeScreenInfo.h"
#include "FakeUrlOpener.h"
#include "FaultyFileSystem.h"
#include "LoadedImages.h"
#include "NativeFileSystem.h"
#include "RecordingDesktop.h"
#include "RecordingOptionDialogs.h"
#include "Scheduler.h"
#include "SettingsFile.h"
#include "SettingsSchema.h"
#include "SettingsWindow.h"
#include "TempAppFolder.h"
#include "TrayController.h"

#include <QAction>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>
#include <memory>
#include <optional>

namespace {

QString seeded(const TempAppFolder& folder)
{
    folder.seedShippedData();
    folder.writeSettings("[display]\nimageNum=0\nsequenceType=1\n[time]\ntimeOption=1\ntimeHour=1\n"
                         "ChangeTime=2030-01-01\n");
    return folder.settingsPath();
}

struct Program
{
    TempAppFolder folder;
    FaultyFileSystem files;
    SettingsFile file{seeded(folder), files};
    Settings settings = SettingsSchema::readAll(file);
    FakeClock clock;
    FakePrompter prompter;
    LoadedImages images;
    RecordingDesktop desktop;
    FakeRandom random;
    FakeScreenInfo screen{QSize(64, 48)};
    FakeFileDialogs fileDialogs;
    FakeUrlOpener urlOpener;
    FakeLoginStart loginStart;
    QStringList openedDialogs;
    QStringList changes;
    std::function<void()> duringChange;
    int quits = 0;
    bool trayAvailable = true;
    ChangeCycle cycle{settings, images,   file,   folder.folder(), NativeFileSystem::instance(),
                      desktop,  prompter, random, screen};
    Scheduler scheduler{settings, file, clock, prompter, [this](CheckedSettings::Order order) {
                            change(order);
                        }};
    TrayController tray{settings, [this](CheckedSettings::Order order) {
                            change(order);
                        }};
    ApplicationShell shell{
        [this] {
            return std::make_unique<SettingsWindow>(
                images, prompter, fileDialogs, urlOpener, NativeFileSystem::instance(), loginStart,
                [this](SettingsWindow&) { return std::make_unique<RecordingOptionDialogs>(openedDialogs); });
        },
        images,
        file,
        scheduler,
        tray,
        prompter};
    ControlCommands commands{settings,  images, file, files,    cycle,
                             scheduler, shell,  tray, prompter, urlOpener};

    Program()
    {
        images.append(folder.file(QStringLiteral("image1.gif")), QStringLiteral("First"));
        images.append(folder.file(QStringLiteral("image2.gif")), QStringLiteral("Second"));
        // As the start leaves it: the list is what the settings file holds.
        QVERIFY(images.saveToSettings(file));
        shell.setTrayAvailable([this] { return trayAvailable; });
        shell.setQuit([this] { ++quits; });
        cycle.setSettleTime(0);
        scheduler.start();
        shell.goToTray();
    }
    SettingsWindow& window() { return shell.window(); }
    void change(CheckedSettings::Order order)
    {
        changes << QString::number(int(order));
        if (duringChange)
            std::exchange(duringChange, nullptr)();
        cycle.change(order);
    }
    QAction* item(const QString& name) { return tray.menu().findChild<QAction*>(name); }
    QString status() { return ask(QStringLiteral("status")); }
    /** A command's reply, waited for: a change answers once it is over. */
    QString ask(const QString& command)
    {
        auto reply = std::make_shared<std::optional<QString>>();
        commands.run(command, [reply](const QString& text) { *reply = text; });
        return QTest::qWaitFor([&] { return reply->has_value(); }, 20000) ? **reply : QString();
    }
};

} // namespace

class tst_Tray : public QObject
{
    Q_OBJECT

private slots:
    void trayAndWindow_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("running");
        QTest::addColumn<int>("quits");
        QTest::addColumn<bool>("saved"); // the unsaved edit reached the settings file
        QTest::addRow("left click: a change in the chosen order")
            << "left" << QStringList{"1"} << false << true << 0 << false;
        QTest::addRow("right click opens the menu")
            << "right" << QStringList{} << false << true << 0 << false;
        QTest::addRow("double click does nothing")
            << "double" << QStringList{} << false << true << 0 << false;
        QTest::addRow("flip: list order")
            << "m_nextAction" << QStringList{"0"} << false << true << 0 << false;
        QTest::addRow("clicks during a change are dropped")
            << "busy left" << QStringList{"1"} << false << true << 0 << false;
        QTest::addRow("Settings stops the changes")
            << "m_settingsAction" << QStringList{} << true << false << 0 << false;
        QTest::addRow("Activate goes back to the tray")
            << "m_settingsAction activate" << QStringList{"1"} << false << true << 0 << false;
        QTest::addRow("Close and Disable, nothing edited: ends without asking")
            << "m_settingsAction m_closeAction" << QStringList{} << false << false << 1 << false;
        // A tray that appears does not take away the window shown for lack of one; closing it then does.
        QTest::addRow("no tray: the window stays") << "notray" << QStringList{} << true << true << 0 << false;
        QTest::addRow("no tray: a tray that appears waits for the close")
            << "notray tray close" << QStringList{} << false << true << 0 << false;
        QTest::addRow("edits, closing the window, Save: saved, then the end")
            << "m_settingsAction edit close" << QStringList{} << false << false << 1 << true;
        QTest::addRow("a caption typed, closing the window, Save: saved, then the end")
            << "m_settingsAction editcaption close" << QStringList{} << false << false << 1 << true;
        QTest::addRow("edits, Close and Disable, Discard: the end without writing")
            << "m_settingsAction edit Discard m_closeAction" << QStringList{} << false << false << 1 << false;
        QTest::addRow("edits, closing the window, Cancel: it stays open")
            << "m_settingsAction edit Cancel close" << QStringList{} << true << false << 0 << false;
        QTest::addRow("edits, Save that fails: it stays open")
            << "m_settingsAction edit unwritable close" << QStringList{} << true << false << 0 << false;
    }
    void trayAndWindow()
    {
        QFETCH(QString, steps);
        QFETCH(QStringList, changes);
        Program p;
        const QByteArray before = p.folder.readSettings();
        const QMap<QString, QSystemTrayIcon::ActivationReason> clicks{
            {"left", QSystemTrayIcon::Trigger},
            {"right", QSystemTrayIcon::Context},
            {"double", QSystemTrayIcon::DoubleClick}};
        for (const QString& step : steps.split(u' ')) {
            if (clicks.contains(step)) {
                p.tray.onActivated(clicks[step]);
            } else if (step == u"busy") {
                p.duringChange = [&p] {
                    p.tray.onActivated(QSystemTrayIcon::Trigger);
                    p.tray.onActivated(QSystemTrayIcon::Context);
                };
            } else if (step == u"activate") {
                emit p.window().activateRequested();
            } else if (step == u"edit") {
                p.images.append(QStringLiteral("/p/unsaved.jpg"));
            } else if (step == u"editcaption") {
                p.images.setCaption(0, QStringLiteral("unsaved caption"));
            } else if (step == u"Discard" || step == u"Cancel") {
                p.prompter.answer({step == u"Cancel" ? PromptAnswer::Cancel : PromptAnswer::Discard});
            } else if (step == u"unwritable") {
                p.files.failAt(FaultyFileSystem::Step::Rename, "No space left on device");
            } else if (step == u"close") {
                p.window().close();
            } else if (step == u"notray") {
                p.trayAvailable = false;
                p.shell.setTrayPollInterval(10);
                p.shell.goToTray();
            } else if (step == u"tray") {
                p.trayAvailable = true;
                QTRY_VERIFY(!p.shell.isWaitingForTray()); // it has seen the tray
                QVERIFY(p.window().isVisible());
            } else {
                p.item(step)->trigger();
            }
        }
        QCOMPARE(p.changes, changes);
        QCOMPARE(p.tray.menu().isVisible(), steps == u"right");
        p.tray.menu().hide();
        QTEST(p.window().isVisible(), "shown");
        QTEST(p.scheduler.isRunning(), "running");
        QTEST(p.quits, "quits");
        QCOMPARE(p.tray.isIconShown(), p.quits == 0);
        const bool edited = steps.contains(u"edit");
        QFETCH(bool, saved);
        QCOMPARE(p.folder.readSettings().contains("unsaved"), saved);
        if (changes.isEmpty() && !saved)
            QCOMPARE(p.folder.readSettings(), before);
        // Only unsaved edits are asked about; a failed save is told besides.
        QCOMPARE(p.prompter.shown().size(), steps.contains(u"unwritable") ? 2 : int(edited));
        if (edited)
            QCOMPARE(p.prompter.shown().first().buttons, PromptButtons::SaveDiscardCancel);
    }

    void commandsAndTheTraysOwnEntries()
    {
        Program p;
        QVERIFY(!p.shell.builtWindow()); // resting in the tray needs no window
        const QString ok = QStringLiteral("ok\n");
        const auto shows = [&p](const char* name, const char* caption) {
            return p.status().startsWith(
                QStringLiteral("ok\npicture: %1\ncaption: %2\nnext change: ")
                    .arg(p.folder.file(QLatin1String(name)), QLatin1String(caption)));
        };
        const QString none = QStringLiteral("no earlier picture was shown since Tessaly started");
        QCOMPARE(p.ask(QStringLiteral("previous")), QStringLiteral("error: %1\n").arg(none));
        // From the tray nobody reads a reply: the same is told in a window.
        p.item(QStringLiteral("previousImage"))->trigger();
        QCOMPARE(p.prompter.texts(), QStringList{QStringLiteral("Previous image: %1.").arg(none)});
        p.prompter.clear();
        // Random order never repeats the picture on screen: with two, they alternate.
        QCOMPARE(p.ask(QStringLiteral("next")), ok);
        QVERIFY(shows("image2.gif", "Second"));
        QCOMPARE(p.ask(QStringLiteral("next")), ok);
        QVERIFY(shows("image1.gif", "First"));
        p.item(QStringLiteral("previousImage"))->trigger();
        QTRY_COMPARE(p.desktop.applied().size(), 3);
        QVERIFY(shows("image2.gif", "Second"));

        // Paused from the command line: the tray's entry says so too.
        QAction* pause = p.item(QStringLiteral("pauseChanges"));
        QCOMPARE(p.ask(QStringLiteral("pause")), ok);
        QCOMPARE(pause->text(), QStringLiteral("Resume changes"));
        QVERIFY(p.status().contains(QStringLiteral("\nnext change: paused\n")));
        QCOMPARE(p.ask(QStringLiteral("resume")), ok);
        QCOMPARE(pause->text(), QStringLiteral("Pause changes"));

        QCOMPARE(p.ask(QStringLiteral("settings")), ok);
        QVERIFY(!p.shell.builtWindow());
        QTRY_VERIFY(p.shell.builtWindow() && p.window().isVisible());
        QCOMPARE(p.ask(QStringLiteral("bogus")), QStringLiteral("error: unknown command \"bogus\"\n"));
        // --quit answers once the user has answered whether to save the list, and says what was chosen.
        p.images.append(QStringLiteral("/p/unsaved.jpg"));
        p.prompter.answer({PromptAnswer::Cancel, PromptAnswer::Discard});
        QCOMPARE(p.ask(QStringLiteral("quit")),
                 QStringLiteral("error: the settings window has unsaved changes and the user chose to keep "
                                "Tessaly running\n"));
        QCOMPARE(p.quits, 0);
        QCOMPARE(p.ask(QStringLiteral("quit")), ok);
        QCOMPARE(p.quits, 1);
        QCOMPARE(p.prompter.texts().size(), 2);
    }

    void theTrayTellsAndRemoves()
    {
        Program p;
        QStringList entries;
        for (QAction* action : p.tray.menu().actions())
            entries << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(entries, (QStringList{"Settings", "Flip to next image", "Previous image", "Pause changes",
                                       "Remove this picture from the list", "Show in folder", "-",
                                       "Close and Disable"}));
        // Random order with two pictures moves to the other one.
        QCOMPARE(p.ask(QStringLiteral("next")), QStringLiteral("ok\n"));
        QTRY_COMPARE(p.tray.toolTip(), QStringLiteral("Tessaly\nSecond\nnext change: 2030-01-01 00:00:00"));
        p.item(QStringLiteral("showInFolder"))->trigger();
        QCOMPARE(p.urlOpener.shownInFolder, QStringList{p.folder.file(QStringLiteral("image2.gif"))});
        // The caption as it was drawn, not as it has been edited since.
        p.images.setCaption(1, QString());
        QAction* pause = p.item(QStringLiteral("pauseChanges"));
        pause->trigger();
        QCOMPARE(p.tray.toolTip(), QStringLiteral("Tessaly\nSecond\npaused"));
        QVERIFY(p.scheduler.isPaused());
        pause->trigger();

        // The open settings window holds the changes: the menu, the tooltip and the status say so alike.
        p.item(QStringLiteral("m_settingsAction"))->trigger();
        QCOMPARE(pause->text(), QStringLiteral("Paused while Settings is open"));
        QVERIFY(!pause->isEnabled() && !p.item(QStringLiteral("removePicture"))->isEnabled());
        QVERIFY(p.tray.toolTip().endsWith(QStringLiteral("\npaused while Settings is open")));
        QVERIFY(p.status().contains(QStringLiteral("\nnext change: paused\n")));
        emit p.window().activateRequested();
        // Applied on the change's thread, recorded on this one.
        QTRY_COMPARE(p.desktop.applied().size(), 2);
        QCOMPARE(pause->text(), QStringLiteral("Pause changes"));
        QTRY_VERIFY(p.status().startsWith(
            QStringLiteral("ok\npicture: %1\n").arg(p.folder.file(QStringLiteral("image1.gif")))));

        // Asked first; then removed, saved, and the next picture shown.
        p.prompter.answer({PromptAnswer::No});
        p.item(QStringLiteral("removePicture"))->trigger();
        QCOMPARE(p.images.count(), 2);
        p.item(QStringLiteral("removePicture"))->trigger();
        QCOMPARE(p.prompter.texts().last(),
                 QStringLiteral("Remove %1 from the list?").arg(p.folder.file(QStringLiteral("image1.gif"))));
        QTRY_COMPARE(p.desktop.applied().size(), 3);
        QCOMPARE(p.images.count(), 1);
        QTRY_VERIFY(p.status().startsWith(
            QStringLiteral("ok\npicture: %1\n").arg(p.folder.file(QStringLiteral("image2.gif")))));
        SettingsFile reread(p.folder.settingsPath(), NativeFileSystem::instance());
        QCOMPARE(reread.read(QStringLiteral("total"), QStringLiteral("total")), QStringLiteral("1"));
        QCOMPARE(p.settings.total, QStringLiteral("1")); // what a settings window built later shows
        QCOMPARE(reread.read(QStringLiteral("images"), QStringLiteral("0")),
                 p.folder.file(QStringLiteral("image2.gif")));
        // The window built before shows the list as it is now.
        p.item(QStringLiteral("m_settingsAction"))->trigger();
        QCOMPARE(p.window().findChild<QLineEdit*>(QStringLiteral("totalBox"))->text(), QStringLiteral("1"));
    }

    void addSavesOnlyWhatItAddsAndAnswersAtOnce()
    {
        // Edits in the open window (a picture removed, a caption typed) stay unsaved, and are asked about at
        // the end.
        Program p;
        p.item(QStringLiteral("m_settingsAction"))->trigger();
        p.images.removeAt(0);
        p.images.setCaption(0, QStringLiteral("typed"));
        const QString picture = p.folder.file(QStringLiteral("badimage.bmp"));
        const QString reply = p.ask(AddCommand::commands({picture}, 4096, nullptr).constFirst());
        // Nothing stands between the command and its reply.
        QCOMPARE(p.prompter.texts(), QStringList());
        const auto entries = [](const QStringList& listed) { // file name:caption
            QStringList names;
            for (const QString& path : listed)
                names << QFileInfo(path).fileName();
            return names.join(u',');
        };
        QStringList inMemory;
        for (int i = 0; i < p.images.count(); ++i)
            inMemory << p.images.pathAt(i) + QLatin1Char(':') + p.images.captionAt(i);
        QCOMPARE(reply, QStringLiteral("ok\nadded 1, already in the list 0\n"));
        // The file: what it held and the new picture; the window: its edits and the new picture.
        SettingsFile reread(p.folder.settingsPath(), NativeFileSystem::instance());
        QStringList stored;
        for (int i = 0; i < 3; ++i)
            stored << reread.read(QStringLiteral("images"), QString::number(i)) + QLatin1Char(':') +
                          reread.read(QStringLiteral("caption"), QString::number(i));
        QCOMPARE(reread.read(QStringLiteral("total"), QStringLiteral("total")), QStringLiteral("3"));
        QCOMPARE(entries(stored), QStringLiteral("image1.gif:First,image2.gif:Second,badimage.bmp:"));
        QCOMPARE(entries(inMemory), QStringLiteral("image2.gif:typed,badimage.bmp:"));
        QCOMPARE(p.window().findChild<QLineEdit*>(QStringLiteral("totalBox"))->text(), QStringLiteral("2"));
        p.prompter.answer({PromptAnswer::Discard});
        p.window().close();
        QCOMPARE(p.prompter.shown().size(), 1);
        QCOMPARE(p.prompter.shown().first().buttons, PromptButtons::SaveDiscardCancel);
        QCOMPARE(p.quits, 1);
    }
};

QTEST_MAIN(tst_Tray)
#include "tst_Tray.moc"
