// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeEventWait.h"
#include "FakePrompter.h"
#include "FakeRandom.h"
#include "FakeScreenInfo.h"
#include "RecordingDesktop.h"
#include "TempAppFolder.h"
#include "core/LoadedImages.h"
#include "core/SettingsFile.h"
#include "core/SettingsSchema.h"
#include "engine/ChangeCycle.h"
#include "platform/PosixFileSystem.h"

#include <QDir>
#include <QtTest>
#include <random>

#include <sys/stat.h>

namespace {

/** Everything one change touches, with a list of `count` small pictures "0.png", "1.png", ... */
struct Rig
{
    TempAppFolder folder;
    Settings settings;
    LoadedImages images;
    SettingsFile file{folder.settingsPath(), PosixFileSystem::instance()};
    RecordingDesktop desktop;
    FakePrompter prompter;
    FakeRandom random;
    FakeEventWait wait;
    FakeScreenInfo screen{QSize(160, 120)};
    ChangeCycle cycle{settings, images, file, folder.folder(), PosixFileSystem::instance(), desktop,
                      prompter, random, wait, screen};

    explicit Rig(int count, const QString& imageNum = QStringLiteral("0"), const QByteArray& more = {})
    {
        folder.seedShippedData();
        folder.writeSettings("[display]\nimageNum=" + imageNum.toUtf8() + "\n" + more);
        settings = SettingsSchema::readAll(file);
        settings.imageNum = imageNum; // as held in memory, even when the file's text would not read
        for (int i = 0; i < count; ++i) {
            QImage picture(32, 24, QImage::Format_RGB32);
            picture.fill(QColor::fromHsv(i * 40 % 360, 200, 200));
            picture.save(folder.file(QStringLiteral("%1.png").arg(i)));
            images.Append(folder.file(QStringLiteral("%1.png").arg(i)), QStringLiteral("Caption %1").arg(i));
        }
    }
    QString fileIndex() { return file.read(QStringLiteral("display"), QStringLiteral("imageNum")); }
    QString bitmapPath() const { return folder.file(QStringLiteral("tessaly.bmp")); }
};

} // namespace

class tst_ChangeCycle : public QObject
{
    Q_OBJECT

private slots:
    void choosesTheNextIndex_data()
    {
        QTest::addColumn<QString>("orderMode");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("current");
        QTest::addColumn<float>("drawn");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QByteArray>("displayType");
        QTest::addColumn<QString>("style"); // as the desktop is told it
        const auto row = [](const char* name, const char* mode, int count, const char* current, float drawn,
                            const char* expected, const char* displayType = "0",
                            const char* style = "Stretch") {
            QTest::addRow("%s", name)
                << mode << count << current << drawn << expected << QByteArray(displayType) << style;
        };
        row("list: first to second", "0", 3, "0", 0, "1");
        row("list: second to last, centred", "0", 3, "1", 0, "2", "1", "Center");
        row("list: wraps after the last", "0", 3, "2", 0, "0");
        row("list: shrunk list restarts", "0", 3, "7", 0, "0");
        row("list: mode not a number", "x", 3, "0", 0, "1");
        row("random: one entry", "1", 1, "0", 0.99f, "0");
        row("random: lowest", "1", 5, "3", 0, "0");
        row("random: highest", "1", 5, "0", 0.9999f, "4");
        // Four others to draw from: 0.5 picks the third of 0, 1, 3, 4.
        row("random: never the one on screen", "1", 5, "2", 0.5f, "3");
        row("random: last on screen", "1", 5, "4", 0.9999f, "3");
        row("other mode keeps the index, tiled", "2", 3, "1", 0, "1", "2", "Stretch");
    }
    void choosesTheNextIndex()
    {
        QFETCH(QString, orderMode);
        QFETCH(int, count);
        QFETCH(QString, current);
        QFETCH(float, drawn);
        QFETCH(QString, expected);
        QFETCH(QByteArray, displayType);
        QFETCH(QString, style);
        Rig rig(count, current, "displayType=" + displayType + "\n");
        rig.random.queue({drawn});
        QVERIFY(rig.cycle.ChangeWallpaper(orderMode));
        QCOMPARE(rig.prompter.texts(), QStringList());
        QCOMPARE(rig.random.seeds(), 1);
        QCOMPARE(rig.settings.imageNum, expected);
        QCOMPARE(rig.fileIndex(), expected);
        QCOMPARE(rig.wait.waits(), QList<int>{500});
        QCOMPARE(rig.desktop.applied().size(), 1);
        QCOMPARE(rig.desktop.applied().first().path, rig.bitmapPath());
        QCOMPARE(rig.desktop.applied().first().style, style);
        QCOMPARE(QImage(rig.bitmapPath()).size(), displayType == "1" ? QSize(32, 24) : QSize(160, 120));
    }

    void unreadablePictureShowsTheFallback()
    {
        Rig rig(3);
        QVERIFY(QFile::remove(rig.images.PathAt(1)));
        QVERIFY(rig.cycle.ChangeWallpaper(QStringLiteral("0")));
        QCOMPARE(rig.fileIndex(), QStringLiteral("1"));
        const QImage fallback(rig.folder.file(QStringLiteral("badimage.bmp")));
        QCOMPARE(QImage(rig.bitmapPath()).pixel(2, 2), fallback.pixel(0, 0));
    }

    void failuresAreToldAndNothingIsRecorded_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("told"); // words the message must hold
        QTest::addRow("bitmap cannot be written") << "bitmap is a folder"
                                                  << "Is a directory";
        QTest::addRow("fallback is a named pipe") << "fallback pipe"
                                                  << "named pipe";
        QTest::addRow("desktop refuses") << "desktop"
                                         << "GNOME: gsettings is not installed";
    }
    void failuresAreToldAndNothingIsRecorded()
    {
        QFETCH(QString, fault);
        QFETCH(QString, told);
        Rig rig(3);
        const QString fallback = rig.folder.file(QStringLiteral("badimage.bmp"));
        if (fault == "bitmap is a folder")
            QVERIFY(QDir(rig.folder.folder()).mkdir(QStringLiteral("tessaly.bmp")));
        if (fault == "fallback pipe")
            QVERIFY(QFile::remove(rig.images.PathAt(1)) && QFile::remove(fallback) &&
                    ::mkfifo(QFile::encodeName(fallback).constData(), 0600) == 0);
        if (fault == "desktop")
            rig.desktop.failWith(told);
        QVERIFY(!rig.cycle.ChangeWallpaper(QStringLiteral("0")));
        QCOMPARE(rig.prompter.shown().size(), 1);
        QVERIFY2(rig.prompter.texts().first().contains(told), qPrintable(rig.prompter.texts().first()));
        QCOMPARE(rig.prompter.shown().first().icon, PromptIcon::Exclamation);
        QCOMPARE(rig.desktop.applied().size(), fault == "desktop" ? 1 : 0);
        QCOMPARE(rig.fileIndex(), QStringLiteral("0"));
        // The program carries on: the next change works and is recorded.
        rig.desktop.failWith(QString());
        QDir(rig.folder.folder()).rmdir(QStringLiteral("tessaly.bmp"));
        QVERIFY(rig.cycle.ChangeWallpaper(QStringLiteral("0")));
        QCOMPARE(rig.fileIndex(), QStringLiteral("2"));
    }

    void emptyListChangesNothing()
    {
        Rig rig(0, QStringLiteral("4"));
        rig.cycle.ChangeWallpaper(QStringLiteral("0"));
        QVERIFY(rig.prompter.shown().isEmpty() && rig.desktop.applied().isEmpty());
        QCOMPARE(rig.settings.imageNum, QStringLiteral("4"));
        QVERIFY(!QFile::exists(rig.bitmapPath()));
    }

    void shuffleShowsEachOnceARound()
    {
        // The stored word is a choice of its own, not a malformed number to be replaced.
        Rig rig(5, QStringLiteral("2"), "sequenceType=shuffle\n");
        QCOMPARE(rig.settings.sequenceType, QStringLiteral("shuffle"));
        std::mt19937 seeded(15);
        std::uniform_real_distribution<float> uniform(0.0f, 0.999f);
        for (int i = 0; i < 200; ++i)
            rig.random.queue({uniform(seeded)});
        QList<int> shown{2};
        for (int i = 0; i < 15; ++i) {
            QVERIFY(rig.cycle.ChangeWallpaper(QStringLiteral("shuffle")));
            shown << rig.settings.imageNum.toInt();
            QVERIFY(shown.last() != shown[shown.size() - 2]);
        }
        for (int round = 0; round < 3; ++round) {
            QList<int> seen = shown.mid(1 + 5 * round, 5);
            std::sort(seen.begin(), seen.end());
            QCOMPARE(seen, (QList<int>{0, 1, 2, 3, 4}));
        }
    }

    void requestsDuringTheWait_data()
    {
        QTest::addColumn<bool>("stop");
        QTest::addColumn<int>("applied");
        QTest::addColumn<QString>("index");
        QTest::addRow("run afterwards, once") << false << 2 << "2";
        QTest::addRow("stop drops them all") << true << 0 << "0";
    }
    void requestsDuringTheWait()
    {
        QFETCH(bool, stop);
        QFETCH(int, applied);
        QFETCH(QString, index);
        Rig rig(4);
        int appliedDuringWait = -1;
        rig.wait.duringNextWait([&] {
            rig.cycle.ChangeWallpaper(QStringLiteral("0"));
            rig.cycle.ChangeWallpaper(QStringLiteral("0"));
            appliedDuringWait = int(rig.desktop.applied().size());
            if (stop)
                rig.cycle.stop();
        });
        rig.cycle.ChangeWallpaper(QStringLiteral("0"));
        if (stop)
            rig.cycle.ChangeWallpaper(QStringLiteral("0"));
        QCOMPARE(appliedDuringWait, 0);
        QCOMPARE(rig.desktop.applied().size(), applied);
        QCOMPARE(rig.fileIndex(), index);
    }
};

QTEST_MAIN(tst_ChangeCycle)
#include "tst_ChangeCycle.moc"
