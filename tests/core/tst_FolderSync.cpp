// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderSync.h"

#include <QRegularExpression>
#include <QTest>

namespace {

const QString kFolder = QStringLiteral("/w");
constexpr qint64 kNow = 1'000'000'000;

/** "a.jpg" is in the watched folder, "/o/a.jpg" elsewhere. */
QString full(const QString& name)
{
    return name.startsWith(QLatin1Char('/')) ? name : kFolder + QLatin1Char('/') + name;
}

/** "a.jpg|Caption" entries, separated by blanks. */
void parseList(const QString& text, QStringList* paths, QStringList* captions)
{
    for (const QString& entry : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        paths->append(full(entry.section(QLatin1Char('|'), 0, 0)));
        captions->append(entry.section(QLatin1Char('|'), 1));
    }
}

/** "name#inode[:size][~msAgo][*]": a file with that identity, size and age; * marks one taken. */
QList<FolderScan::File> parseFiles(const QString& text, QSet<QString>* taken = nullptr)
{
    static const QRegularExpression form(
        QStringLiteral("^([^#]+)#(\\d+)(?::(-?\\d+))?(?:~(-?\\d+))?(\\*?)$"));
    QList<FolderScan::File> files;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m = form.match(word);
        if (!m.hasMatch())
            qFatal("bad file word");
        FolderScan::File file;
        file.path = full(m.captured(1));
        file.device = 7;
        file.inode = m.captured(2).toULongLong();
        file.size = m.captured(3).isEmpty() ? 10 : m.captured(3).toLongLong();
        file.modifiedMs = kNow - (m.captured(4).isEmpty() ? 60'000 : m.captured(4).toLongLong());
        if (taken && !m.captured(5).isEmpty())
            taken->insert(file.path);
        files.append(file);
    }
    return files;
}

QSet<QString> parseSet(const QString& text)
{
    QSet<QString> set;
    for (const QString& name : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        set.insert(full(name));
    return set;
}

} // namespace

class TestFolderSync : public QObject
{
    Q_OBJECT

private slots:
    void looksBecomeListEdits_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("leftOut");
        QTest::addColumn<QString>("known");
        QTest::addColumn<QString>("scan"); // "-": the folder could not be looked at
        QTest::addColumn<int>("room");
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("wantList");
        QTest::addColumn<QString>("wantLeftOut");
        QTest::addColumn<bool>("wantUnsettled");
        QTest::addColumn<int>("wantCurrent");

        QTest::addRow("new ones after the folder's last, in path order")
            << "/o/1.jpg a.jpg|A /o/2.jpg c.jpg /o/3.jpg"
            << ""
            << "a.jpg#1* c.jpg#3*"
            << "c.jpg#3 a.jpg#1 sub/d.jpg#4 B0.jpg#5 b.jpg#2" << 100 << 4
            << "/o/1.jpg a.jpg|A /o/2.jpg c.jpg b.jpg B0.jpg sub/d.jpg /o/3.jpg"
            << "" << false << 7;
        QTest::addRow("a folder with none listed yet: at the end")
            << "/o/1.jpg"
            << ""
            << ""
            << "x.jpg#1" << 100 << 0 << "/o/1.jpg x.jpg"
            << "" << false << 0;
        QTest::addRow("deleted ones leave with their captions; the current one gives way to its follower")
            << "a.jpg|A b.jpg|B /o/x.jpg c.jpg|C"
            << ""
            << "a.jpg#1* b.jpg#2* c.jpg#3*"
            << "a.jpg#1 c.jpg#3" << 100 << 1 << "a.jpg|A /o/x.jpg c.jpg|C"
            << "" << false << 0;
        QTest::addRow("the first one deleted while current: the list starts again")
            << "a.jpg b.jpg"
            << ""
            << "a.jpg#1* b.jpg#2*"
            << "b.jpg#2" << 100 << 0 << "b.jpg"
            << "" << false << -1;
        QTest::addRow("moved within the folder: same place and caption")
            << "a.jpg|A b.jpg|B c.jpg|C"
            << ""
            << "a.jpg#1* b.jpg#2* c.jpg#3*"
            << "a.jpg#1 sub/z.jpg#2 c.jpg#3" << 100 << 2 << "a.jpg|A sub/z.jpg|B c.jpg|C"
            << "" << false << 2;
        QTest::addRow("an inode reused by another file is no move")
            << "a.jpg|A b.jpg|B"
            << ""
            << "a.jpg#1* b.jpg#2:10*"
            << "a.jpg#1 c.jpg#2:99" << 100 << 0 << "a.jpg|A c.jpg"
            << "" << false << 0;
        QTest::addRow("removed by the user: left out, not added back")
            << "a.jpg"
            << ""
            << "a.jpg#1* b.jpg#2*"
            << "a.jpg#1 b.jpg#2" << 100 << 0 << "a.jpg"
            << "b.jpg" << false << 0;
        QTest::addRow("left out before this run: stays out") << "a.jpg"
                                                             << "b.jpg"
                                                             << ""
                                                             << "a.jpg#1 b.jpg#2" << 100 << 0 << "a.jpg"
                                                             << "b.jpg" << false << 0;
        QTest::addRow("left out and moved: still out under its new name")
            << "a.jpg"
            << "b.jpg"
            << "a.jpg#1* b.jpg#2*"
            << "a.jpg#1 n.jpg#2" << 100 << 0 << "a.jpg"
            << "n.jpg" << false << 0;
        QTest::addRow("left out, then put back by the user: no longer left out")
            << "a.jpg b.jpg"
            << "b.jpg"
            << "a.jpg#1* b.jpg#2*"
            << "a.jpg#1 b.jpg#2" << 100 << 0 << "a.jpg b.jpg"
            << "" << false << 0;
        QTest::addRow("left out and deleted: forgotten") << "a.jpg"
                                                         << "b.jpg /o/q.jpg"
                                                         << "a.jpg#1* b.jpg#2*"
                                                         << "a.jpg#1" << 100 << 0 << "a.jpg"
                                                         << "/o/q.jpg" << false << 0;
        QTest::addRow("written a moment ago: waits") << "a.jpg"
                                                     << ""
                                                     << "a.jpg#1*"
                                                     << "a.jpg#1 b.jpg#2~500" << 100 << 0 << "a.jpg"
                                                     << "" << true << 0;
        QTest::addRow("grown since the last look: waits") << "a.jpg"
                                                          << ""
                                                          << "a.jpg#1* b.jpg#2:10"
                                                          << "a.jpg#1 b.jpg#2:20" << 100 << 0 << "a.jpg"
                                                          << "" << true << 0;
        QTest::addRow("written a moment ago, though seen before: waits")
            << "a.jpg"
            << ""
            << "a.jpg#1* b.jpg#2:20~500"
            << "a.jpg#1 b.jpg#2:20~500" << 100 << 0 << "a.jpg"
            << "" << true << 0;
        QTest::addRow("dated ahead of this clock, unchanged since the last look: taken")
            << "a.jpg"
            << ""
            << "a.jpg#1* b.jpg#2~-9000"
            << "a.jpg#1 b.jpg#2~-9000" << 100 << 0 << "a.jpg b.jpg"
            << "" << false << 0;
        QTest::addRow("dated ahead of this clock, first seen: waits")
            << "a.jpg"
            << ""
            << "a.jpg#1*"
            << "a.jpg#1 b.jpg#2~-9000" << 100 << 0 << "a.jpg"
            << "" << true << 0;
        QTest::addRow("the folder gone: every entry kept") << "a.jpg|A b.jpg"
                                                           << "b.jpg"
                                                           << "a.jpg#1* b.jpg#2*"
                                                           << "-" << 100 << 1 << "a.jpg|A b.jpg"
                                                           << "b.jpg" << false << 1;
        QTest::addRow("a full list takes what fits, in path order")
            << "a.jpg"
            << ""
            << "a.jpg#1*"
            << "a.jpg#1 c.jpg#3 b.jpg#2" << 1 << 0 << "a.jpg b.jpg"
            << "" << false << 0;
    }

    void looksBecomeListEdits()
    {
        QFETCH(QString, list);
        QFETCH(QString, leftOut);
        QFETCH(QString, known);
        QFETCH(QString, scan);
        QFETCH(int, room);
        QFETCH(int, current);

        QStringList paths, captions;
        parseList(list, &paths, &captions);
        QSet<QString> left = parseSet(leftOut);
        FolderSync::Known state;
        QSet<QString> taken;
        for (const FolderScan::File& file : parseFiles(known, &taken))
            state.see(file, taken.contains(file.path));
        std::optional<FolderScan> look;
        if (scan != QLatin1String("-"))
            look = FolderScan{parseFiles(scan), {kFolder}};

        const FolderSync::Edits edits = FolderSync::sync(paths, kFolder, state, look, left, room, kNow);
        const FolderSync::Applied applied = FolderSync::apply(edits, paths, captions);

        QStringList wantPaths, wantCaptions;
        QFETCH(QString, wantList);
        parseList(wantList, &wantPaths, &wantCaptions);
        QCOMPARE(applied.paths, wantPaths);
        QCOMPARE(applied.captions, wantCaptions);
        QFETCH(QString, wantLeftOut);
        QCOMPARE(left, parseSet(wantLeftOut));
        QFETCH(bool, wantUnsettled);
        QCOMPARE(edits.unsettled, wantUnsettled);
        QFETCH(int, wantCurrent);
        QCOMPARE(FolderSync::positionAfter(applied.newPositionOf, current), wantCurrent);

        // Looked at again unchanged, the folder gives no edit: nothing is added twice or taken back.
        if (look && !wantUnsettled) {
            const QSet<QString> leftAfter = left;
            const int roomLeft = room - int(edits.added.size()) + int(edits.removed.size());
            QVERIFY(FolderSync::sync(applied.paths, kFolder, state, look, left, roomLeft, kNow).isEmpty());
            QCOMPARE(left, leftAfter);
        }
    }
};

QTEST_GUILESS_MAIN(TestFolderSync)
#include "tst_FolderSync.moc"
