// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AutostartEntry.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class tst_AutostartEntry : public QObject
{
    Q_OBJECT

private slots:
    void execArgument_data();
    void execArgument();
    void writtenOnceAndNeverOverAUsersFile();
};

void tst_AutostartEntry::execArgument_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("exec");
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

void tst_AutostartEntry::execArgument()
{
    QFETCH(QString, path);
    QFETCH(QString, exec);
    QCOMPARE(AutostartEntry::execArgument(path), exec);
}

void tst_AutostartEntry::writtenOnceAndNeverOverAUsersFile()
{
    QTemporaryDir home;
    const QString entry = AutostartEntry::path(home.path());
    QVERIFY(AutostartEntry::writeIfMissing(home.path(), QStringLiteral("/usr/bin/tessaly")));
    QFile written(entry);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray text = written.readAll();
    QVERIFY(text.startsWith("[Desktop Entry]\n"));
    QVERIFY(text.contains("\nExec=/usr/bin/tessaly\n"));
    QVERIFY(text.contains("\nType=Application\n"));
    written.close();

    QFile edited(entry);
    QVERIFY(edited.open(QIODevice::WriteOnly | QIODevice::Truncate));
    edited.write("[Desktop Entry]\nHidden=true\n");
    edited.close();
    QVERIFY(AutostartEntry::writeIfMissing(home.path(), QStringLiteral("/elsewhere/tessaly")));
    QVERIFY(edited.open(QIODevice::ReadOnly));
    QCOMPARE(edited.readAll(), QByteArray("[Desktop Entry]\nHidden=true\n"));
}

QTEST_GUILESS_MAIN(tst_AutostartEntry)
#include "tst_AutostartEntry.moc"
