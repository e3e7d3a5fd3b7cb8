// SPDX-License-Identifier: GPL-3.0-or-later
#include "TempAppFolder.h"
#include "core/LoadedImages.h"
#include "core/SettingsFile.h"
#include "platform/PosixFileSystem.h"

#include <QTest>

class tst_LoadedImages : public QObject
{
    Q_OBJECT

private slots:
    void loadCount_data();
    void loadCount();
    void loadKeepsLongValuesWhole();
    void saveRenumbersDropsOldKeysAndLeavesOutOnlyWhatCannotBeStored();
    void saveThenLoadRoundTrip();
    void entriesOutliveTheFileTheyCameFrom();
    void moves_data();
    void moves();
    void emptyTestLooksAtFirstPath_data();
    void emptyTestLooksAtFirstPath();
};

namespace {

QStringList paths(const LoadedImages& images)
{
    QStringList result;
    for (int i = 0; i < images.Count(); ++i)
        result << images.PathAt(i);
    return result;
}

QStringList captions(const LoadedImages& images)
{
    QStringList result;
    for (int i = 0; i < images.Count(); ++i)
        result << images.CaptionAt(i);
    return result;
}

} // namespace

void tst_LoadedImages::loadCount_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<QStringList>("captions");

    QTest::addRow("zero") << QByteArray("[total]\ntotal=0\n[images]\n0=/a.jpg\n") << QStringList()
                          << QStringList();
    QTest::addRow("more than the keys present")
        << QByteArray("[total]\ntotal=3\n[images]\n0=/a.jpg\n1=/b.jpg\n[caption]\n0=first\n")
        << QStringList{"/a.jpg", "/b.jpg", ""} << QStringList{"first", "", ""};
    QTest::addRow("missing") << QByteArray("[images]\n0=/a.jpg\n") << QStringList() << QStringList();
    QTest::addRow("empty") << QByteArray("[total]\ntotal=\n[images]\n0=/a.jpg\n") << QStringList()
                           << QStringList();
    QTest::addRow("not a number") << QByteArray("[total]\ntotal=two\n[images]\n0=/a.jpg\n") << QStringList()
                                  << QStringList();
    QTest::addRow("negative") << QByteArray("[total]\ntotal=-4\n") << QStringList() << QStringList();
    QTest::addRow("fraction rounds half to even")
        << QByteArray("[total]\ntotal=2.5\n[images]\n0=/a\n1=/b\n2=/c\n3=/d\n")
        << QStringList{"/a", "/b", "/c"} << QStringList{"", "", ""};
    QTest::addRow("keys in any case") << QByteArray("[TOTAL]\nTotal=1\n[Images]\n0=/a\n[CAPTION]\n0=x\n")
                                      << QStringList{"/a"} << QStringList{"x"};
}

void tst_LoadedImages::loadCount()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, paths);
    QFETCH(QStringList, captions);
    TempAppFolder folder;
    folder.writeSettings(file);
    SettingsFile settings(folder.settingsPath(), PosixFileSystem::instance());
    LoadedImages images;
    images.LoadFromSettings(settings);
    QCOMPARE(::paths(images), paths);
    QCOMPARE(::captions(images), captions);
}

void tst_LoadedImages::loadKeepsLongValuesWhole()
{
    const QString longPath = QLatin1Char('/') + QString(299, QLatin1Char('p'));
    TempAppFolder folder;
    folder.writeSettings("[total]\ntotal=1\n[images]\n0=" + longPath.toUtf8() + "\n");
    SettingsFile settings(folder.settingsPath(), PosixFileSystem::instance());
    LoadedImages images;
    images.LoadFromSettings(settings);
    QCOMPARE(images.PathAt(0), longPath);
}

void tst_LoadedImages::saveRenumbersDropsOldKeysAndLeavesOutOnlyWhatCannotBeStored()
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

void tst_LoadedImages::saveThenLoadRoundTrip()
{
    const QStringList pathsIn{QStringLiteral("/pictures/same.jpg"), QStringLiteral("/pictures/same.jpg"),
                              QStringLiteral("/pictures/ünïcödé ; $(x) 日本.jpg"), QStringLiteral("/b.jpg")};
    const QStringList captionsIn{QStringLiteral("  two spaces around  "), QStringLiteral("\"quoted\""),
                                 QString(), QString(QChar(0xFEFF)) + QStringLiteral("mark in front")};
    TempAppFolder folder;
    SettingsFile settings(folder.settingsPath(), PosixFileSystem::instance());
    LoadedImages images;
    for (int i = 0; i < pathsIn.size(); ++i)
        images.Append(pathsIn[i], captionsIn[i]);
    QCOMPARE(paths(images), pathsIn);
    QCOMPARE(captions(images), captionsIn);
    QVERIFY(images.SaveToSettings(settings));

    SettingsFile again(folder.settingsPath(), PosixFileSystem::instance());
    LoadedImages loaded;
    QCOMPARE(loaded.LoadFromSettings(again), QStringLiteral("4"));
    QCOMPARE(paths(loaded), pathsIn);
    QCOMPARE(captions(loaded), captionsIn);
}

void tst_LoadedImages::entriesOutliveTheFileTheyCameFrom()
{
    TempAppFolder folder;
    folder.writeSettings("[total]\ntotal=3\n[images]\n0=/a.jpg\n1=/b.jpg\n2=/c.jpg\n"
                         "[caption]\n0=first\n1=\n2=third\n");
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
    images.Append(QStringLiteral("/d.jpg"), QStringLiteral("fourth"));
    QCOMPARE(paths(images), (QStringList{"/b.jpg", "/c.jpg", "/d.jpg"}));
    QCOMPARE(captions(images), (QStringList{"", "edited", "fourth"}));

    SettingsFile file(folder.settingsPath(), PosixFileSystem::instance());
    QVERIFY(images.SaveToSettings(file));
    LoadedImages again;
    again.LoadFromSettings(file);
    QCOMPARE(paths(again), paths(images));
    QCOMPARE(captions(again), captions(images));
    again.Clear();
    QCOMPARE(again.Count(), 0);
    QCOMPARE(paths(images), (QStringList{"/b.jpg", "/c.jpg", "/d.jpg"}));
}

void tst_LoadedImages::moves_data()
{
    QTest::addColumn<QString>("move");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("newPosition");
    QTest::addColumn<QStringList>("order");

    QTest::addRow("up from the middle") << "up" << 1 << 0 << QStringList{"b", "a", "c"};
    QTest::addRow("up on the first") << "up" << 0 << 0 << QStringList{"a", "b", "c"};
    QTest::addRow("down on the next-to-last") << "down" << 1 << 2 << QStringList{"a", "c", "b"};
    QTest::addRow("down on the last") << "down" << 2 << 2 << QStringList{"a", "b", "c"};
    QTest::addRow("down from the first") << "down" << 0 << 1 << QStringList{"b", "a", "c"};
}

void tst_LoadedImages::moves()
{
    QFETCH(QString, move);
    QFETCH(int, position);
    QFETCH(int, newPosition);
    QFETCH(QStringList, order);
    LoadedImages images;
    for (const char* name : {"a", "b", "c"})
        images.Append(QLatin1String(name), QLatin1String(name).toString().toUpper());
    const int result = move == QLatin1String("up") ? images.MoveUp(position) : images.MoveDown(position);
    QCOMPARE(result, newPosition);
    QCOMPARE(paths(images), order);
    // Captions travel with their pictures.
    for (int i = 0; i < images.Count(); ++i)
        QCOMPARE(images.CaptionAt(i), images.PathAt(i).toUpper());
}

void tst_LoadedImages::emptyTestLooksAtFirstPath_data()
{
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<bool>("empty");
    QTest::addRow("no entries") << QStringList() << true;
    QTest::addRow("first path empty, more follow") << QStringList{"", "/b.jpg"} << true;
    QTest::addRow("first path set") << QStringList{"/a.jpg", ""} << false;
}

void tst_LoadedImages::emptyTestLooksAtFirstPath()
{
    QFETCH(QStringList, paths);
    QFETCH(bool, empty);
    LoadedImages images;
    images.AppendPaths(paths);
    QCOMPARE(images.IsEmpty(), empty);
}

QTEST_GUILESS_MAIN(tst_LoadedImages)
#include "tst_LoadedImages.moc"
