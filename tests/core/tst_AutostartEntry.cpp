// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AutostartEntry.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class tst_AutostartEntry : public QObject
{
    Q_OBJECT

private slots:
    void writtenOnceAndNeverOverAUsersFile_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("exec"); // as the desktop entry format quotes it
        QTest::addRow("plain") << "/usr/bin/tessaly"
                               << "/usr/bin/tessaly";
        QTest::addRow("space") << "/opt/my apps/tessaly"
                               << "\"/opt/my apps/tessaly\"";
        QTest::addRow("percent") << "/opt/100%/tessaly"
                                 << "/opt/100%%/tessaly";
        QTest::addRow("quote and dollar") << "/o/a\"b$c/t"
                                          << "\"/o/a\\\\\"b\\\\$c/t\"";
        QTest::addRow("backslash") << "/o/a\\b/t"
                                   << "\"/o/a\\\\\\\\b/t\"";
    }
    void writtenOnceAndNeverOverAUsersFile()
    {
        QFETCH(QString, path);
        QFETCH(QString, exec);
        QTemporaryDir home;
        QVERIFY(AutostartEntry::writeIfMissing(home.path(), path));
        QFile entry(AutostartEntry::path(home.path()));
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QByteArray text = entry.readAll();
        QVERIFY(text.startsWith("[Desktop Entry]\n") && text.contains("\nType=Application\n"));
        QVERIFY2(text.contains("\nExec=" + exec.toUtf8() + "\n"), text.constData());
        entry.close();
        QVERIFY(entry.open(QIODevice::WriteOnly | QIODevice::Truncate) && entry.write("Hidden=true\n") > 0);
        entry.close();
        QVERIFY(AutostartEntry::writeIfMissing(home.path(), QStringLiteral("/elsewhere/tessaly")));
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QCOMPARE(entry.readAll(), QByteArray("Hidden=true\n"));
    }
};

QTEST_GUILESS_MAIN(tst_AutostartEntry)
#include "tst_AutostartEntry.moc"
