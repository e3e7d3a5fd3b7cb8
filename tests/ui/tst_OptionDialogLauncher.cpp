// SPDX-License-Identifier: GPL-3.0-or-later
#include "DialogFixture.h"
#include "FakeClock.h"
#include "FakeEventWait.h"
#include "FakeFontChooser.h"
#include "FakePrompter.h"
#include "FakeRandom.h"
#include "FakeScreenInfo.h"
#include "FakeVolumes.h"
#include "FaultyFileSystem.h"
#include "RecordingDesktop.h"
#include "core/LoadedImages.h"
#include "core/Scheduler.h"
#include "core/StartupSequence.h"
#include "engine/ChangeCycle.h"
#include "platform/PosixFileSystem.h"
#include "ui/CollectionAdvice.h"
#include "ui/OptionDialogLauncher.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <cerrno>
#include <cstring>

Q_DECLARE_METATYPE(FaultyFileSystem::Step)

class tst_OptionDialogLauncher : public QObject
{
    Q_OBJECT

private slots:
    void eachDialogOpensModelessAndGoesAwayWhenClosed_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("form");
        QTest::addRow("Timer") << 0 << "frmTimer";
        QTest::addRow("Display") << 1 << "frmDisplay";
        QTest::addRow("Mode") << 2 << "frmMode";
        QTest::addRow("Caption") << 3 << "frmCaption";
        QTest::addRow("Multiple") << 4 << "frmMultifiles";
    }
    void eachDialogOpensModelessAndGoesAwayWhenClosed()
    {
        QFETCH(int, which);
        QFETCH(QString, form);
        DialogFixture f("");
        LoadedImages images;
        FakePrompter prompter;
        FakeFontChooser fonts;
        FakeVolumes volumes;
        CollectionAdvice advice;
        OptionDialogLauncher launcher(&f.mainWindow, f.settings, *f.file, images, advice, prompter, fonts,
                                      volumes, [](int) {});
        const std::array<void (OptionDialogs::*)(), 5> opens{
            &OptionDialogs::openTimer, &OptionDialogs::openDisplay, &OptionDialogs::openMode,
            &OptionDialogs::openCaption, &OptionDialogs::openMultiple};
        OptionDialogs& dialogs = launcher;
        (dialogs.*opens[which])();

        QPointer<QWidget> dialog = launcher.openDialog();
        QVERIFY(dialog);
        QCOMPARE(QString::fromLatin1(dialog->metaObject()->className()), form);
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->isModal());
        QVERIFY(!f.mainWindow.isEnabled());
        QCOMPARE(dialog->pos(), f.mainWindow.pos());

        // A second request while one is open opens nothing more.
        (dialogs.*opens[(which + 1) % 5])();
        QCOMPARE(launcher.openDialog(), dialog.data());

        dialog->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!dialog);
        QVERIFY(f.mainWindow.isEnabled());
        QVERIFY(f.mainWindow.isVisible());
    }

    // Every place that saves the settings file, made to fail: the user is told the file and the
    // reason, and the file on disk is the one from before.
    void eachFailedSaveIsTold_data()
    {
        QTest::addColumn<QString>("site");
        QTest::addColumn<FaultyFileSystem::Step>("step");
        QTest::addColumn<int>("error");
        using Step = FaultyFileSystem::Step;
        QTest::addRow("timer Ok, disk full") << "timer" << Step::Write << ENOSPC;
        QTest::addRow("display Ok, read-only folder") << "display" << Step::CreateNew << EROFS;
        QTest::addRow("mode Ok, file replaced by a folder") << "mode" << Step::None << EISDIR;
        QTest::addRow("caption Ok, read-only folder") << "caption" << Step::CreateNew << EACCES;
        QTest::addRow("list on Activate, disk full") << "activate" << Step::Write << ENOSPC;
        QTest::addRow("next due time, read-only folder") << "due" << Step::CreateNew << EROFS;
        QTest::addRow("picture shown, disk full") << "shown" << Step::Close << ENOSPC;
        QTest::addRow("first-run seeding, disk full") << "start" << Step::Sync << ENOSPC;
    }
    void eachFailedSaveIsTold()
    {
        QFETCH(QString, site);
        QFETCH(FaultyFileSystem::Step, step);
        QFETCH(int, error);
        DialogFixture f("");
        f.folder.seedShippedData();
        const QByteArray before = f.folder.readSettings();
        FaultyFileSystem fs;
        SettingsFile& file = *(f.file = std::make_unique<SettingsFile>(f.folder.settingsPath(), fs));
        f.settings = SettingsSchema::readAll(file);
        // Values that differ from the file's, so that each Ok has something to write.
        f.settings.timeMin = QStringLiteral("45");
        f.settings.displayType = QStringLiteral("2");
        f.settings.sequenceType = QStringLiteral("1");
        f.settings.captionPosition = QStringLiteral("0");
        LoadedImages images;
        images.Append(f.folder.file(QStringLiteral("image1.gif")));
        images.Append(f.folder.file(QStringLiteral("image2.gif")));
        FakeClock clock;
        FakeFontChooser fonts;
        FakeVolumes volumes;
        RecordingDesktop desktop;
        FakeRandom random;
        FakeEventWait wait;
        FakeScreenInfo screen{QSize(64, 48)};
        CollectionAdvice advice;
        OptionDialogLauncher launcher(&f.mainWindow, f.settings, file, images, advice, f.prompter, fonts,
                                      volumes, {});
        ChangeCycle cycle(f.settings, images, file, f.folder.folder(), PosixFileSystem::instance(), desktop,
                          f.prompter, random, wait, screen);
        Scheduler scheduler(f.settings, file, clock, f.prompter, [&](const QString&) {});
        const QMap<QString, void (OptionDialogs::*)()> dialogs{{"timer", &OptionDialogs::openTimer},
                                                               {"display", &OptionDialogs::openDisplay},
                                                               {"mode", &OptionDialogs::openMode},
                                                               {"caption", &OptionDialogs::openCaption}};
        fs.failAt(step, error);
        if (step == FaultyFileSystem::Step::None) {
            QVERIFY(QFile::remove(file.path()));
            QVERIFY(QDir().mkdir(file.path()));
        }

        if (dialogs.contains(site)) {
            (launcher.*dialogs[site])();
            launcher.openDialog()->findChild<QPushButton*>(QStringLiteral("ok"))->click();
        } else if (site == u"activate") {
            QVERIFY(scheduler.activate(images));
        } else if (site == u"due") {
            scheduler.startupCheck();
        } else if (site == u"shown") {
            cycle.ChangeWallpaper(QStringLiteral("0"));
        } else {
            StartupSequence::run(file, f.folder.folder(), images, clock, f.prompter);
        }

        QVERIFY(!f.prompter.texts().isEmpty());
        for (const QString& text : f.prompter.texts()) {
            QVERIFY2(text.contains(f.folder.settingsPath()), qPrintable(text));
            QVERIFY2(text.contains(QString::fromLocal8Bit(std::strerror(error))), qPrintable(text));
        }
        if (step == FaultyFileSystem::Step::None)
            QVERIFY(QFileInfo(file.path()).isDir());
        else
            QCOMPARE(f.folder.readSettings(), before);
    }
};

QTEST_MAIN(tst_OptionDialogLauncher)
#include "tst_OptionDialogLauncher.moc"
