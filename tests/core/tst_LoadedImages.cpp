// SPDX-License-Identifier: GPL-3.0-or-later
#include "TempAppFolder.h"
#include "core/LoadedImages.h"
#include "core/SettingsFile.h"
#include "platform/PosixFileSystem.h"

#include <QTest>

namespace {

/** Each entry as "path|caption". */
QStringList entries(const LoadedImages& images)
{
    QStringList result;
    for (int i = 0; i < images.Count(); ++i)
        result << images.PathAt(i) + QLatin1Char('|') + images.CaptionAt(i);
    return result;
}

QStringList loaded(const QByteArray& file)
{
    TempAppFolder folder;
    folder.writeSettings(file);
    SettingsFile settings(folder.settingsPath(), PosixFileSystem::instance());
    LoadedImages images;
    images.LoadFromSettings(settings);
    return entries(images);
}

} // namespace

class tst_LoadedImages : public QObject
{
    Q_OBJECT

private slots:
    void load_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("expected");
        const QByteArray ab = "[images]\n0=/a\n1=/b\n2=/c\n3=/d\n[caption]\n0=A\n";
        QTest::addRow("zero") << "[total]\ntotal=0\n" + ab << QStringList();
        QTest::addRow("more than the keys present")
            << "[total]\ntotal=6\n" + ab << QStringList{"/a|A", "/b|", "/c|", "/d|", "|", "|"};
        QTest::addRow("missing") << ab << QStringList();
        QTest::addRow("not a number") << "[total]\ntotal=two\n" + ab << QStringList();
        QTest::addRow("negative") << "[total]\ntotal=-4\n" + ab << QStringList();
        QTest::addRow("fraction: loop bound rounds half to even")
            << "[total]\ntotal=2.5\n" + ab << QStringList{"/a|A", "/b|", "/c|"};
        QTest::addRow("keys in any case")
            << QByteArray("[TOTAL]\nTotal=1\n[Images]\n0=/a\n[CAPTION]\n0=x\n") << QStringList{"/a|x"};
    }
    void load()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, expected);
        QCOMPARE(loaded(file), expected);
    }

    void storedCountIsClampedToTheLimit_data()
    {
        QTest::addColumn<QString>("total");
        QTest::addColumn<int>("count");
        QTest::addRow("the limit") << "32767" << 32767;
        QTest::addRow("one past") << "32768" << 32767;
        QTest::addRow("far past") << "1e9" << 32767;
        QTest::addRow("one below") << "32766" << 32766;
    }
    void storedCountIsClampedToTheLimit()
    {
        QFETCH(QString, total);
        QFETCH(int, count);
        QCOMPARE(LoadedImages::storedCount(total), count);
    }

    void countLimitAtItsEdge()
    {
        LoadedImages images;
        QCOMPARE(images.AppendPaths(QStringList(32766, QStringLiteral("/p.jpg"))), 32766);
        QCOMPARE(images.Append(QStringLiteral("/last.jpg")), 32766);
        QCOMPARE(images.Append(QStringLiteral("/over.jpg")), -1);
        QCOMPARE(images.Count(), 32767);
        images.RemoveAt(0);
        images.RemoveAt(0);
        QCOMPARE(images.AppendPaths({"/x", "/y", "/z"}), 2);
        QCOMPARE(images.Count(), 32767);
        QCOMPARE(images.PathAt(32766), QStringLiteral("/y"));
    }

    void saveRenumbersDropsOldKeysAndLeavesOutOnlyWhatCannotBeStored()
    {
        TempAppFolder folder;
        folder.writeSettings("[total]\ntotal=3\n[images]\n0=/a\n1=/b\n2=/c\n[caption]\n0=A\n1=\n2=C\n");
        SettingsFile settings(folder.settingsPath(), PosixFileSystem::instance());
        LoadedImages images;
        images.LoadFromSettings(settings);
        images.MoveUp(images.MoveUp(2));
        images.RemoveAt(2);
        // Entries the file cannot hold are left out and named; every other one is stored.
        images.Append(QStringLiteral("/new\nline.jpg"));
        images.Append(QStringLiteral("/d"), QStringLiteral("two\r\nlines"));
        images.MoveUp(2);
        QStringList leftOut;
        QVERIFY(images.SaveToSettings(settings, &leftOut));
        QCOMPARE(folder.readSettings(),
                 QByteArray("[total]\ntotal=2\n[images]\n0=/c\n1=/a\n[caption]\n0=C\n1=A\n"));
        QCOMPARE(leftOut, QStringList({"/new\nline.jpg", "/d"}));
        QCOMPARE(images.Count(), 4);
    }

    void saveThenLoadRoundTrip()
    {
        const QStringList in{"/p/same.jpg|  two spaces around  ", "/p/same.jpg|\"quoted\"",
                             " /lead.jpg|'single'", QStringLiteral("/p/ünïcödé ; $(x) 日本.jpg|"),
                             QLatin1Char('/') + QString(299, QLatin1Char('p')) + QLatin1Char('|') +
                                 QChar(0xFEFF) + QStringLiteral("mark in front")};
        TempAppFolder folder;
        SettingsFile settings(folder.settingsPath(), PosixFileSystem::instance());
        LoadedImages images;
        for (const QString& entry : in)
            images.Append(entry.section(QLatin1Char('|'), 0, 0), entry.section(QLatin1Char('|'), 1));
        QVERIFY(images.SaveToSettings(settings));
        QCOMPARE(loaded(folder.readSettings()), in);
    }

    void entriesOutliveTheFileTheyCameFrom()
    {
        TempAppFolder folder;
        folder.writeSettings(
            "[total]\ntotal=3\n[images]\n0=/a\n1=/b\n2=/c\n[caption]\n0=first\n1=\n2=third\n");
        LoadedImages images;
        {
            SettingsFile file(folder.settingsPath(), PosixFileSystem::instance());
            images.LoadFromSettings(file);
            // The file's text changes completely while the entries stay loaded.
            QVERIFY(file.apply({IniEdit::removeSection("images"), IniEdit::removeSection("caption"),
                                IniEdit::writeList("images", {QByteArray(5000, 'x')})}));
        }
        images.MoveDown(0);
        images.SetCaption(2, QStringLiteral("edited"));
        images.RemoveAt(1);
        images.Append(QStringLiteral("/d"), QStringLiteral("fourth"));
        const QStringList expected{"/b|", "/c|edited", "/d|fourth"};
        QCOMPARE(entries(images), expected);
        SettingsFile file(folder.settingsPath(), PosixFileSystem::instance());
        QVERIFY(images.SaveToSettings(file));
        QCOMPARE(loaded(folder.readSettings()), expected);
    }

    void moves_data()
    {
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("newPosition");
        QTest::addColumn<QString>("order");
        QTest::addRow("up from the middle") << true << 1 << 0 << "bac";
        QTest::addRow("up on the first") << true << 0 << 0 << "abc";
        QTest::addRow("down on the next-to-last") << false << 1 << 2 << "acb";
        QTest::addRow("down on the last") << false << 2 << 2 << "abc";
        QTest::addRow("down from the first") << false << 0 << 1 << "bac";
    }
    void moves()
    {
        QFETCH(bool, up);
        QFETCH(int, position);
        QFETCH(int, newPosition);
        QFETCH(QString, order);
        LoadedImages images;
        for (const char* name : {"a", "b", "c"})
            images.Append(QLatin1String(name), QLatin1String(name).toString().toUpper());
        QCOMPARE(up ? images.MoveUp(position) : images.MoveDown(position), newPosition);
        QStringList expected; // captions travel with their pictures
        for (const QChar c : order)
            expected << QString(c) + QLatin1Char('|') + c.toUpper();
        QCOMPARE(entries(images), expected);
    }

    void emptyTestLooksAtFirstPath_data()
    {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<bool>("empty");
        QTest::addRow("no entries") << QStringList() << true;
        QTest::addRow("first path empty, more follow") << QStringList{"", "/b.jpg"} << true;
        QTest::addRow("first path set") << QStringList{"/a.jpg", ""} << false;
    }
    void emptyTestLooksAtFirstPath()
    {
        QFETCH(QStringList, paths);
        QFETCH(bool, empty);
        LoadedImages images;
        images.AppendPaths(paths);
        QCOMPARE(images.IsEmpty(), empty);
    }
};

QTEST_GUILESS_MAIN(tst_LoadedImages)
#include "tst_LoadedImages.moc"
