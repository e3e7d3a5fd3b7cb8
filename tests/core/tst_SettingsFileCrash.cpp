// SPDX-License-Identifier: GPL-3.0-or-later
#include "CrashTestList.h"
#include "TempAppFolder.h"
#include "platform/PosixFileSystem.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

/** A process killed in the middle of a save leaves the old file or the new one. */
class tst_SettingsFileCrash : public QObject
{
    Q_OBJECT

private slots:
    void killedSaveLeavesWholeFile()
    {
        const int entries = 12000;
        TempAppFolder scratch;
        QVERIFY(SettingsFile(scratch.settingsPath(), PosixFileSystem::instance())
                    .apply(crashTestList(entries, u'A')));
        const QByteArray listA = scratch.readSettings();
        QVERIFY(SettingsFile(scratch.settingsPath(), PosixFileSystem::instance())
                    .apply(crashTestList(entries, u'B')));
        const QByteArray listB = scratch.readSettings();
        QVERIFY(SettingsFile(scratch.settingsPath(), PosixFileSystem::instance())
                    .apply(crashTestList(entries, u'A')));
        QCOMPARE(scratch.readSettings(), listA);

        TempAppFolder folder;
        int endedNew = 0;
        for (int run = 0; run < 20; ++run) {
            folder.writeSettings(listA);
            QProcess child;
            child.start(QStringLiteral(SAVE_LOOP_PATH), {folder.settingsPath(), QString::number(entries)});
            QVERIFY2(child.waitForReadyRead(10000), "the saving child did not start");
            QTest::qSleep(QRandomGenerator::global()->bounded(5, 120));
            QCOMPARE(child.state(), QProcess::Running);
            child.kill(); // SIGKILL: no clean-up runs
            QVERIFY(child.waitForFinished(10000));

            const QByteArray left = folder.readSettings();
            QVERIFY2(
                left == listA || left == listB,
                qPrintable(QStringLiteral("run %1 left a torn file of %2 bytes").arg(run).arg(left.size())));
            endedNew += left == listB;
            SettingsFile(folder.settingsPath(), PosixFileSystem::instance()).removeStaleTemporaries();
            QCOMPARE(QDir(folder.folder()).entryList(QDir::Files | QDir::Hidden),
                     QStringList{"tessdesk.ini"});
        }
        qInfo("%d of 20 killed runs had replaced the file", endedNew);
    }
};

QTEST_GUILESS_MAIN(tst_SettingsFileCrash)
#include "tst_SettingsFileCrash.moc"
