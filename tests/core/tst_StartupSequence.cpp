// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeClock.h"
#include "FakePrompter.h"
#include "TempAppFolder.h"
#include "core/ApplicationFolder.h"
#include "core/LoadedImages.h"
#include "core/SettingsFile.h"
#include "core/StartupSequence.h"
#include "platform/PosixFileSystem.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

struct Start
{
    TempAppFolder folder;
    FakeClock clock{QDateTime(QDate(2026, 3, 14), QTime(9, 30, 5))};
    FakePrompter prompter;
    LoadedImages images;

    Settings run()
    {
        SettingsFile file(folder.settingsPath(), PosixFileSystem::instance());
        images.Clear();
        return StartupSequence::run(file, folder.folder(), images, clock, prompter);
    }
};

} // namespace

class tst_StartupSequence : public QObject
{
    Q_OBJECT

private slots:
    void firstStartSeedsOnce()
    {
        Start start;
        start.folder.seedShippedData();
        QCOMPARE(start.run().total, QStringLiteral("2"));
        QCOMPARE(start.images.Count(), 2);
        QCOMPARE(start.images.PathAt(1), start.folder.file(QStringLiteral("image2.gif")));
        // The user empties the list; the next start must not seed it again.
        QVERIFY(SettingsFile(start.folder.settingsPath(), PosixFileSystem::instance())
                    .write("total", "total", "0"));
        start.run();
        QCOMPARE(start.images.Count(), 0);
    }

    void existingListIsNeverSeeded_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QByteArray>("recordAfter");
        QTest::addRow("file without the record") << QByteArray() << QByteArray();
        QTest::addRow("first-run record over a full list")
            << QByteArray("[tessaly]\nfirstRun=True\n") << QByteArray("[tessaly]\nfirstRun=False\n");
    }
    void existingListIsNeverSeeded()
    {
        QFETCH(QByteArray, record);
        QFETCH(QByteArray, recordAfter);
        const QByteArray list = "[total]\ntotal=2\n[images]\n0=C:\\Pictures\\a.jpg\n1=/b.jpg\n"
                                "[time]\nChangeTime=3/14/2026 9:00:00 AM\n";
        Start start;
        start.folder.writeSettings(list + record);
        QCOMPARE(start.run().ChangeTime, QStringLiteral("3/14/2026 9:00:00 AM"));
        QCOMPARE(start.images.Count(), 2);
        QCOMPARE(start.images.PathAt(0), QStringLiteral("C:\\Pictures\\a.jpg"));
        QCOMPARE(start.folder.readSettings(), list + recordAfter);
        QVERIFY(start.prompter.shown().isEmpty());
    }

    void emptyChangeTimeIsCompletedAndWritten()
    {
        Start start;
        start.folder.writeSettings("[time]\ntimeOption=1\nChangeTime=\n");
        QCOMPARE(start.run().ChangeTime, QStringLiteral("2026-03-14 09:30:05"));
        QCOMPARE(start.folder.readSettings(),
                 QByteArray("[time]\ntimeOption=1\nChangeTime=2026-03-14 09:30:05\n"));
    }

    void portableFolderWins()
    {
        TempAppFolder exe;
        exe.writeSettings("[total]\ntotal=0\n");
        TempAppFolder config;
        QCOMPARE(ApplicationFolder::resolve(exe.folder().chopped(1), config.folder(),
                                            QStringLiteral(TESSALY_SOURCE_DIR "/data")),
                 exe.folder());
        QVERIFY(!QFileInfo::exists(config.file(QStringLiteral("tessaly"))));
    }

    void installedFolderIsSeededWithoutOverwriting()
    {
        TempAppFolder exe; // no settings file beside the program: an installed copy
        TempAppFolder config;
        const QString appFolder = config.file(QStringLiteral("tessaly/"));
        QDir().mkpath(appFolder);
        QFile own(appFolder + QStringLiteral("tessdesk.ini"));
        QVERIFY(own.open(QIODevice::WriteOnly) && own.write("[total]\ntotal=5\n") > 0);
        own.close();
        QCOMPARE(ApplicationFolder::resolve(exe.folder(), config.folder(),
                                            QStringLiteral(TESSALY_SOURCE_DIR "/data")),
                 appFolder);
        for (const char* name : {"badimage.bmp", "image1.gif", "image2.gif"})
            QVERIFY2(QFileInfo::exists(appFolder + QLatin1String(name)), name);
        QVERIFY(own.open(QIODevice::ReadOnly));
        QCOMPARE(own.readAll(), QByteArray("[total]\ntotal=5\n"));
    }
};

QTEST_GUILESS_MAIN(tst_StartupSequence)
#include "tst_StartupSequence.moc"
