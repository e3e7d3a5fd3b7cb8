// SPDX-License-Identifier: GPL-3.0-or-later
// The login entry that "Start Tessaly when I log in" writes where desktops read XDG autostart entries.
#include "AutostartEntry.h"
#include "NativeFileSystem.h"
#include "TempAppFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

class tst_AutostartEntry : public QObject
{
    Q_OBJECT

    NativeFileSystem& native = NativeFileSystem::instance();

private slots:
    void entryWrittenOnce()
    {
        QCOMPARE(AutostartEntry::execArgument("/my apps/a\"b$c\\d"), "\"/my apps/a\\\\\"b\\\\$c\\\\\\\\d\"");
        TempAppFolder home;
        const Result<> first =
            AutostartEntry::writeIfMissing(native, home.folder(), QStringLiteral("/opt/100%/t"));
        QVERIFY2(first, qPrintable(first.reason()));
        QFile entry(AutostartEntry::path(home.folder()));
        QVERIFY(entry.open(QIODevice::ReadWrite));
        const QByteArray written = entry.readAll();
        // A removed program leaves an entry the desktop passes over.
        QVERIFY(written.contains("\nExec=/opt/100%%/t\n") && written.contains("\nTryExec=/opt/100%/t\n"));
        QVERIFY(entry.resize(0)); // the user's own entry is never replaced
        entry.close();
        QVERIFY(AutostartEntry::writeIfMissing(native, home.folder(), QStringLiteral("/elsewhere/tessaly")));
        QCOMPARE(QFileInfo(entry).size(), 0);
        // The check box's choice is the user's too: it replaces and removes.
        QVERIFY(AutostartEntry::write(native, home.folder(), QStringLiteral("/usr/bin/tessaly")));
        QVERIFY(AutostartEntry::isOn(home.folder()));
        QVERIFY(AutostartEntry::remove(home.folder()) && !entry.exists());
        QVERIFY(!AutostartEntry::isOn(home.folder()) && AutostartEntry::remove(home.folder()));
    }

    void fileInTheWayIsTold()
    {
        TempAppFolder home;
        const QString configHome = home.file("config/");
        QVERIFY(QDir().mkdir(configHome));
        QFile obstacle(home.file("config/autostart"));
        QVERIFY(obstacle.open(QIODevice::WriteOnly));
        const QString error =
            AutostartEntry::writeIfMissing(native, configHome, QStringLiteral("/t")).reason();
        // "cannot create the folder F: reason" or "creating the folder F failed: reason"
        const QString named = QStringLiteral("the folder ") + home.file("config/autostart");
        QVERIFY2(error.contains(named + ": Not a directory") ||
                     error.contains(named + " failed: Not a directory"),
                 qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(tst_AutostartEntry)
#include "tst_AutostartEntry.moc"
