// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeEventWait.h"
#include "FakePrompter.h"
#include "FakeRandom.h"
#include "FakeScreenInfo.h"
#include "RecordingDesktop.h"
#include "TempAppFolder.h"
#include "core/LoadedImages.h"
#include "core/Settings.h"
#include "core/SettingsFile.h"
#include "core/SettingsSchema.h"
#include "engine/ChangeCycle.h"
#include "platform/PosixFileSystem.h"

#include <QDir>
#include <QFileInfo>
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

    explicit Rig(int count, const QString& imageNum = QStringLiteral("0"))
    {
        folder.seedShippedData();
        folder.writeSettings("[display]\nimageNum=" + imageNum.toUtf8() + "\n");
        settings.imageNum = imageNum;
        settings.displayType = QStringLiteral("0");
        settings.captionPosition = QStringLiteral("2");
        settings.onOffCaption = QStringLiteral("1");
        settings.newFontName = QStringLiteral("DejaVu Sans");
        settings.newFontSize = QStringLiteral("12");
        settings.newFontBold = QStringLiteral("True");
        settings.newFontItalic = QStringLiteral("False");
        settings.newFontUnderline = QStringLiteral("False");
        settings.newFontFontStrikethru = QStringLiteral("False");
        settings.newFontForeColor = QStringLiteral("255");
        for (int i = 0; i < count; ++i) {
            QImage picture(32, 24, QImage::Format_RGB32);
            picture.fill(QColor::fromHsv(i * 40 % 360, 200, 200));
            const QString path = folder.file(QStringLiteral("%1.png").arg(i));
            picture.save(path);
            images.Append(path, QStringLiteral("Caption %1").arg(i));
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
        QTest::addRow("list: first to second") << "0" << 3 << "0" << 0.0f << "1";
        QTest::addRow("list: second to third") << "0" << 3 << "1" << 0.0f << "2";
        QTest::addRow("list: wraps after the last") << "0" << 3 << "2" << 0.0f << "0";
        QTest::addRow("list: shrunk list restarts") << "0" << 3 << "7" << 0.0f << "0";
        QTest::addRow("list: empty index") << "0" << 3 << "" << 0.0f << "0";
        QTest::addRow("list: one entry") << "0" << 1 << "0" << 0.0f << "0";
        QTest::addRow("list: mode not a number") << "x" << 3 << "0" << 0.0f << "1";
        QTest::addRow("list: mode 0.0") << "0.0" << 3 << "1" << 0.0f << "2";
        QTest::addRow("random: one entry") << "1" << 1 << "0" << 0.99f << "0";
        QTest::addRow("random: lowest") << "1" << 5 << "3" << 0.0f << "0";
        QTest::addRow("random: highest") << "1" << 5 << "0" << 0.9999f << "4";
        // Four others to draw from: 0.5 picks the third of 0, 1, 3, 4.
        QTest::addRow("random: never the one on screen") << "1" << 5 << "2" << 0.5f << "3";
        QTest::addRow("random: last on screen") << "1" << 5 << "4" << 0.9999f << "3";
        QTest::addRow("random: index off the list") << "1" << 5 << "9" << 0.9999f << "4";
        QTest::addRow("other mode keeps the index") << "2" << 3 << "1" << 0.0f << "1";
    }
    void choosesTheNextIndex()
    {
        QFETCH(QString, orderMode);
        QFETCH(int, count);
        QFETCH(QString, current);
        QFETCH(float, drawn);
        QFETCH(QString, expected);
        Rig rig(count, current);
        rig.random.queue({drawn});
        rig.cycle.ChangeWallpaper(orderMode);

        QCOMPARE(rig.prompter.texts(), QStringList());
        QCOMPARE(rig.random.seeds(), 1);
        QCOMPARE(rig.settings.imageNum, expected);
        QCOMPARE(rig.fileIndex(), expected);
        QCOMPARE(rig.wait.waits(), QList<int>{500});
        QCOMPARE(rig.desktop.applied().size(), 1);
        QCOMPARE(rig.desktop.applied().first().path, rig.bitmapPath());
        const QImage bitmap(rig.bitmapPath());
        QCOMPARE(bitmap.size(), QSize(160, 120));
        QCOMPARE(bitmap.depth(), 32); // Qt reads 24-bit files into 32-bit images
    }

    void styleWordFollowsTheDisplayType_data()
    {
        QTest::addColumn<QString>("displayType");
        QTest::addColumn<QString>("style");
        QTest::addRow("stretched") << "0"
                                   << "Stretch";
        QTest::addRow("centred") << "1"
                                 << "Center";
        QTest::addRow("tiled is tiled in the bitmap") << "2"
                                                      << "Stretch";
        QTest::addRow("unknown type") << "7"
                                      << "Stretch";
    }
    void styleWordFollowsTheDisplayType()
    {
        QFETCH(QString, displayType);
        QFETCH(QString, style);
        Rig rig(2);
        rig.settings.displayType = displayType;
        rig.cycle.ChangeWallpaper(QStringLiteral("0"));
        QCOMPARE(rig.desktop.applied().size(), 1);
        QCOMPARE(rig.desktop.applied().first().style, style);
    }

    void unreadablePictureShowsTheFallback()
    {
        Rig rig(3);
        QVERIFY(QFile::remove(rig.images.PathAt(1)));
        rig.cycle.ChangeWallpaper(QStringLiteral("0"));
        QCOMPARE(rig.prompter.texts(), QStringList());
        QCOMPARE(rig.desktop.applied().size(), 1);
        QCOMPARE(rig.fileIndex(), QStringLiteral("1"));
        const QImage fallback(rig.folder.file(QStringLiteral("badimage.bmp")));
        const QImage bitmap(rig.bitmapPath());
        QCOMPARE(bitmap.pixel(2, 2), fallback.pixel(0, 0));
    }

    void missingOrMalformedKeysFallBackAndTheChangeSucceeds_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString Settings::*>("field");
        QTest::addRow("no display or font keys")
            << QByteArray("[time]\ntimeOption=1\n") << &Settings::newFontName;
        QTest::addRow("display type out of range")
            << QByteArray("[display]\ndisplayType=9\n") << &Settings::displayType;
        QTest::addRow("font size not a number")
            << QByteArray("[font]\nnewFontSize=abc\n") << &Settings::newFontSize;
        QTest::addRow("caption position a word")
            << QByteArray("[font]\ncaptionPosition=top\n") << &Settings::captionPosition;
        QTest::addRow("caption placement empty")
            << QByteArray("[font]\nonOffCaption=\n") << &Settings::onOffCaption;
        QTest::addRow("bold flag") << QByteArray("[font]\nnewFontBold=maybe\n") << &Settings::newFontBold;
        QTest::addRow("colour a word")
            << QByteArray("[font]\nnewFontForeColor=red\n") << &Settings::newFontForeColor;
    }
    void missingOrMalformedKeysFallBackAndTheChangeSucceeds()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString Settings::*, field);
        Rig rig(3);
        rig.folder.writeSettings(ini);
        rig.settings = SettingsSchema::readAll(rig.file);
        rig.cycle.ChangeWallpaper(QStringLiteral("0"));
        QCOMPARE(rig.prompter.texts(), QStringList());
        QCOMPARE(rig.desktop.applied().size(), 1);
        QCOMPARE(rig.fileIndex(), QStringLiteral("1"));
        QCOMPARE(rig.settings.*field, QString::fromLatin1(SettingsSchema::of(field).shippedDefault));
    }

    void unwritableBitmapNamesFileAndReason()
    {
        Rig rig(2);
        QVERIFY(QDir(rig.folder.folder()).mkdir(QStringLiteral("tessaly.bmp")));
        rig.cycle.ChangeWallpaper(QStringLiteral("0"));
        QCOMPARE(rig.prompter.texts().size(), 1);
        const QString text = rig.prompter.texts().first();
        QVERIFY2(text.contains(rig.bitmapPath()) && text.contains(QStringLiteral("Is a directory")),
                 qPrintable(text));
        QVERIFY(rig.desktop.applied().isEmpty());
        QCOMPARE(rig.fileIndex(), QStringLiteral("0"));
    }

    void fallbackFailingToo_data()
    {
        QTest::addColumn<bool>("pipe");
        QTest::addRow("missing") << false;
        QTest::addRow("named pipe") << true;
    }
    void fallbackFailingToo()
    {
        QFETCH(bool, pipe);
        Rig rig(2);
        const QString fallback = rig.folder.file(QStringLiteral("badimage.bmp"));
        QVERIFY(QFile::remove(rig.images.PathAt(1)));
        QVERIFY(QFile::remove(fallback));
        if (pipe)
            QVERIFY(::mkfifo(QFile::encodeName(fallback).constData(), 0600) == 0);
        rig.cycle.ChangeWallpaper(QStringLiteral("0"));
        QCOMPARE(rig.prompter.texts().size(), 1);
        const QString text = rig.prompter.texts().first();
        QVERIFY2(
            text.startsWith(ChangeCycle::processingErrorText() + QStringLiteral("\n\n") + fallback + ": "),
            qPrintable(text));
        QVERIFY2(text.contains(pipe ? QLatin1String("named pipe") : QLatin1String("No such file")),
                 qPrintable(text));
        QVERIFY(rig.desktop.applied().isEmpty());
        QCOMPARE(rig.fileIndex(), QStringLiteral("0"));
    }

    void emptyListChangesNothing()
    {
        Rig rig(0, QStringLiteral("4"));
        rig.cycle.ChangeWallpaper(QStringLiteral("0"));
        QVERIFY(rig.prompter.shown().isEmpty());
        QVERIFY(rig.desktop.applied().isEmpty());
        QCOMPARE(rig.settings.imageNum, QStringLiteral("4"));
        QVERIFY(!QFile::exists(rig.bitmapPath()));
    }

    void refusedApplyIsReportedAndNotRecorded()
    {
        Rig rig(3);
        const QString reason = QStringLiteral("GNOME: gsettings is not installed");
        rig.desktop.failWith(reason);
        rig.cycle.ChangeWallpaper(QStringLiteral("0"));
        QCOMPARE(rig.prompter.shown().size(), 1);
        QVERIFY(rig.prompter.shown().first().text.contains(reason));
        QCOMPARE(rig.prompter.shown().first().icon, PromptIcon::Exclamation);
        QCOMPARE(rig.settings.imageNum, QStringLiteral("1"));
        QCOMPARE(rig.fileIndex(), QStringLiteral("0"));

        // The program carries on: the next change works and is recorded.
        rig.desktop.failWith(QString());
        rig.cycle.ChangeWallpaper(QStringLiteral("0"));
        QCOMPARE(rig.fileIndex(), QStringLiteral("2"));
    }

    void shuffleShowsEachOnceARound()
    {
        Rig rig(5, QStringLiteral("2"));
        // The stored word is a choice of its own, not a malformed number to be replaced.
        rig.folder.writeSettings("[display]\nsequenceType=shuffle\n");
        QCOMPARE(SettingsSchema::readAll(rig.file).sequenceType, QStringLiteral("shuffle"));
        std::mt19937 seeded(15);
        std::uniform_real_distribution<float> uniform(0.0f, 0.999f);
        for (int i = 0; i < 200; ++i)
            rig.random.queue({uniform(seeded)});
        QList<int> shown{2};
        for (int i = 0; i < 15; ++i) {
            QVERIFY(rig.cycle.ChangeWallpaper(QStringLiteral("shuffle")));
            shown << rig.settings.imageNum.toInt();
            QVERIFY2(shown.last() != shown[shown.size() - 2], "the same picture twice in a row");
        }
        for (int round = 0; round < 3; ++round) {
            QList<int> seen = shown.mid(1 + 5 * round, 5);
            std::sort(seen.begin(), seen.end());
            QCOMPARE(seen, (QList<int>{0, 1, 2, 3, 4}));
        }
    }

    void previousStepsBackOverRemovedPictures()
    {
        Rig rig(4);
        rig.cycle.noteShownAtStart();
        for (int i = 0; i < 3; ++i)
            QVERIFY(rig.cycle.ChangeWallpaper(QStringLiteral("0")));
        rig.images.RemoveAt(1);
        const auto previous = [&rig] {
            const std::optional<bool> stepped = rig.cycle.showPrevious();
            return stepped ? QStringLiteral("%1 %2").arg(*stepped).arg(
                                 QFileInfo(rig.cycle.shown()->path).fileName())
                           : QStringLiteral("none");
        };
        QCOMPARE(previous(), QStringLiteral("1 2.png"));
        QCOMPARE(rig.fileIndex(), QStringLiteral("1"));
        QCOMPARE(previous(), QStringLiteral("1 0.png"));
        QCOMPARE(previous(), QStringLiteral("none"));
        QCOMPARE(rig.desktop.applied().size(), 5);
    }

    void requestDuringTheWaitRunsAfterwards()
    {
        Rig rig(4);
        int appliedDuringWait = -1;
        rig.wait.duringNextWait([&rig, &appliedDuringWait] {
            rig.cycle.ChangeWallpaper(QStringLiteral("0"));
            rig.cycle.ChangeWallpaper(QStringLiteral("0"));
            appliedDuringWait = int(rig.desktop.applied().size());
        });
        rig.cycle.ChangeWallpaper(QStringLiteral("0"));
        QCOMPARE(appliedDuringWait, 0);
        QCOMPARE(rig.desktop.applied().size(), 2);
        QCOMPARE(rig.wait.waits().size(), 2);
        QCOMPARE(rig.settings.imageNum, QStringLiteral("2"));
        QCOMPARE(rig.fileIndex(), QStringLiteral("2"));
    }

    void stopDuringTheWaitAppliesAndRecordsNothing()
    {
        Rig rig(4);
        rig.wait.duringNextWait([&rig] {
            rig.cycle.ChangeWallpaper(QStringLiteral("0"));
            rig.cycle.stop();
        });
        const QString before = rig.fileIndex();
        rig.cycle.ChangeWallpaper(QStringLiteral("0"));
        rig.cycle.ChangeWallpaper(QStringLiteral("0"));
        QVERIFY(rig.desktop.applied().isEmpty());
        QCOMPARE(rig.wait.waits().size(), 1);
        QCOMPARE(rig.fileIndex(), before);
    }
};

QTEST_MAIN(tst_ChangeCycle)
#include "tst_ChangeCycle.moc"
