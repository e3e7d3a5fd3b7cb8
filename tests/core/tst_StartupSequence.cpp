// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeClock.h"
#include "FakePrompter.h"
#include "TempAppFolder.h"
#include "core/ApplicationFolder.h"
#include "core/LoadedImages.h"
#include "core/SettingsFile.h"
#include "core/SettingsSchema.h"
#include "core/StartupSequence.h"
#include "platform/PosixFileSystem.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTest>

class tst_StartupSequence : public QObject
{
    Q_OBJECT

private slots:
    void firstStartSeedsOnce();
    void existingListIsNeverSeeded_data();
    void existingListIsNeverSeeded();
    void emptyChangeTimeIsCompletedAndWritten();
    void readsTextAsStoredAndMalformedAsShipped();
    void shippedFileHoldsEverySchemaDefault();
    void folderSeparator_data();
    void folderSeparator();
    void portableFolderWins();
    void installedFolderIsSeededWithoutOverwriting();
};

void tst_StartupSequence::firstStartSeedsOnce()
{
    TempAppFolder folder;
    folder.seedShippedData();
    FakeClock clock;
    FakePrompter prompter;
    {
        SettingsFile file(folder.settingsPath(), PosixFileSystem::instance());
        LoadedImages images;
        const Settings settings = StartupSequence::run(file, folder.folder(), images, clock, prompter);
        QCOMPARE(settings.total, QStringLiteral("2"));
        QCOMPARE(images.Count(), 2);
        QCOMPARE(images.PathAt(0), folder.file(QStringLiteral("image1.gif")));
        QCOMPARE(images.PathAt(1), folder.file(QStringLiteral("image2.gif")));
        QCOMPARE(images.CaptionAt(0), QString());
    }
    // The user empties the list; the next start must not seed it again.
    {
        SettingsFile file(folder.settingsPath(), PosixFileSystem::instance());
        QVERIFY(file.write(QStringLiteral("total"), QStringLiteral("total"), QStringLiteral("0")));
        LoadedImages images;
        StartupSequence::run(file, folder.folder(), images, clock, prompter);
        QCOMPARE(images.Count(), 0);
    }
}

void tst_StartupSequence::existingListIsNeverSeeded_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QByteArray>("recordAfter");
    QTest::addRow("file without the record") << QByteArray() << QByteArray();
    QTest::addRow("first-run record over a full list")
        << QByteArray("[tessaly]\nfirstRun=True\n") << QByteArray("[tessaly]\nfirstRun=False\n");
}

void tst_StartupSequence::existingListIsNeverSeeded()
{
    QFETCH(QByteArray, record);
    QFETCH(QByteArray, recordAfter);
    const QByteArray list = "[total]\ntotal=2\n[images]\n0=C:\\Pictures\\a.jpg\n1=/"
                            "b.jpg\n[time]\nChangeTime=3/14/2026 9:00:00 AM\n";
    TempAppFolder folder;
    folder.writeSettings(list + record);
    SettingsFile file(folder.settingsPath(), PosixFileSystem::instance());
    LoadedImages images;
    FakeClock clock;
    FakePrompter prompter;
    QCOMPARE(StartupSequence::run(file, folder.folder(), images, clock, prompter).ChangeTime,
             QStringLiteral("3/14/2026 9:00:00 AM"));
    QCOMPARE(images.Count(), 2);
    QCOMPARE(images.PathAt(0), QStringLiteral("C:\\Pictures\\a.jpg"));
    QCOMPARE(folder.readSettings(), list + recordAfter);
    QVERIFY(prompter.shown().isEmpty());
}

void tst_StartupSequence::emptyChangeTimeIsCompletedAndWritten()
{
    TempAppFolder folder;
    folder.writeSettings("[time]\ntimeOption=1\nChangeTime=\n");
    SettingsFile file(folder.settingsPath(), PosixFileSystem::instance());
    LoadedImages images;
    FakeClock clock(QDateTime(QDate(2026, 3, 14), QTime(9, 30, 5)));
    FakePrompter prompter;
    const Settings settings = StartupSequence::run(file, folder.folder(), images, clock, prompter);
    QCOMPARE(settings.ChangeTime, QStringLiteral("2026-03-14 09:30:05"));
    QCOMPARE(folder.readSettings(), QByteArray("[time]\ntimeOption=1\nChangeTime=2026-03-14 09:30:05\n"));
}

void tst_StartupSequence::readsTextAsStoredAndMalformedAsShipped()
{
    TempAppFolder folder;
    // One section header each: only the first section of a name counts.
    QMap<QByteArray, QByteArray> sections;
    int n = 0;
    for (const SettingSpec& spec : SettingsSchema::all())
        sections[spec.section] += QByteArray(spec.key) + "=v" + QByteArray::number(n++) + "\n";
    QByteArray bytes;
    for (auto it = sections.cbegin(); it != sections.cend(); ++it)
        bytes += "[" + it.key() + "]\n" + it.value();
    folder.writeSettings(bytes);
    SettingsFile file(folder.settingsPath(), PosixFileSystem::instance());
    LoadedImages images;
    FakeClock clock;
    FakePrompter prompter;
    const Settings settings = StartupSequence::run(file, folder.folder(), images, clock, prompter);
    n = 0;
    // "vN" is well-formed only as text; every other key falls back to the value shipped.
    for (const SettingSpec& spec : SettingsSchema::all()) {
        const QString stored = QStringLiteral("v%1").arg(n++);
        const QString shipped = QString::fromLatin1(spec.shippedDefault);
        if (spec.field != &Settings::ChangeTime)
            QCOMPARE(settings.*spec.field, spec.type == SettingType::Text ? stored : shipped);
    }
    QCOMPARE(settings.settingsPath, folder.settingsPath());
}

void tst_StartupSequence::shippedFileHoldsEverySchemaDefault()
{
    // The shipped file and the fallbacks in code must not drift apart.
    TempAppFolder folder;
    folder.seedShippedData();
    SettingsFile file(folder.settingsPath(), PosixFileSystem::instance());
    for (const SettingSpec& spec : SettingsSchema::all())
        QCOMPARE(file.read(QLatin1String(spec.section), QLatin1String(spec.key)),
                 QString::fromLatin1(spec.shippedDefault));
    QCOMPARE(file.read(QLatin1String(StartupSequence::FirstRunSection),
                       QLatin1String(StartupSequence::FirstRunKey)),
             QStringLiteral("True"));
}

void tst_StartupSequence::folderSeparator_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("expected");
    QTest::addRow("plain") << "/opt/tessaly"
                           << "/opt/tessaly/";
    QTest::addRow("root") << "/"
                          << "/";
    QTest::addRow("already ends in one") << "/home/u/"
                                         << "/home/u/";
    QTest::addRow("windows drive root") << "C:\\"
                                        << "C:\\";
}

void tst_StartupSequence::folderSeparator()
{
    QFETCH(QString, folder);
    QFETCH(QString, expected);
    QCOMPARE(ApplicationFolder::withTrailingSeparator(folder), expected);
}

void tst_StartupSequence::portableFolderWins()
{
    TempAppFolder exe;
    exe.writeSettings("[total]\ntotal=0\n");
    TempAppFolder config;
    QCOMPARE(ApplicationFolder::resolve(exe.folder().chopped(1), config.folder(),
                                        QStringLiteral(TESSALY_SOURCE_DIR "/data")),
             exe.folder());
    QVERIFY(!QFileInfo::exists(config.file(QStringLiteral("tessaly"))));
}

void tst_StartupSequence::installedFolderIsSeededWithoutOverwriting()
{
    TempAppFolder exe; // no settings file beside the program: an installed copy
    TempAppFolder config;
    const QString appFolder = config.file(QStringLiteral("tessaly/"));
    QDir().mkpath(appFolder);
    QFile own(appFolder + QStringLiteral("tessdesk.ini"));
    QVERIFY(own.open(QIODevice::WriteOnly));
    own.write("[total]\ntotal=5\n");
    own.close();

    QCOMPARE(
        ApplicationFolder::resolve(exe.folder(), config.folder(), QStringLiteral(TESSALY_SOURCE_DIR "/data")),
        appFolder);
    for (const char* name : {"badimage.bmp", "image1.gif", "image2.gif"})
        QVERIFY2(QFileInfo::exists(appFolder + QLatin1String(name)), name);
    QVERIFY(own.open(QIODevice::ReadOnly));
    QCOMPARE(own.readAll(), QByteArray("[total]\ntotal=5\n"));
}

QTEST_GUILESS_MAIN(tst_StartupSequence)
#include "tst_StartupSequence.moc"
