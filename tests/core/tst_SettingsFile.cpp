// SPDX-License-Identifier: GPL-3.0-or-later
#include "ApplicationFolder.h"
#include "CheckedSettings.h"
#include "FakeClock.h"
#include "FakePrompter.h"
#include "FaultyFileSystem.h"
#include "IniPropertyCheck.h"
#include "LoadedImages.h"
#include "SettingValue.h"
#include "SettingsFile.h"
#include "SettingsSchema.h"
#include "StartupSequence.h"
#include "TempAppFolder.h"

#include <QDir>
#include <QTest>

#include <algorithm>
#include <functional>

#ifndef Q_OS_WIN
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

Q_DECLARE_METATYPE(FaultyFileSystem::Step)

namespace {

NativeFileSystem& native = NativeFileSystem::instance();

QStringList folderEntries(const TempAppFolder& folder)
{
    return QDir(folder.folder()).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

/** A picture list's save of `entries`; marker tells two lists of the same length apart. */
QList<IniEdit> listSave(int entries, char marker)
{
    QByteArrayList paths, captions;
    for (int i = 0; i < entries; ++i) {
        paths << QByteArray("/home/user/Pictures/some rather long folder/") + marker + QByteArray::number(i);
        captions << QByteArray("caption ") + marker + QByteArray::number(i);
    }
    return {IniEdit::write("total", "total", QString::number(entries)), IniEdit::removeSection("images"),
            IniEdit::writeList("images", paths), IniEdit::removeSection("caption"),
            IniEdit::writeList("caption", captions)};
}

QByteArray saved(const TempAppFolder& folder, int entries, char marker)
{
    if (!SettingsFile(folder.settingsPath(), native).apply(listSave(entries, marker)))
        qFatal("cannot save a list");
    return folder.readSettings();
}

#ifndef Q_OS_WIN
/**
 * What `run` gives when run by a user without root's rights: in a child process that gives them up
 * when this one has them, since root may write into any folder.
 */
QString asPlainUser(const std::function<QString()>& run)
{
    if (::geteuid() != 0)
        return run();
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        qFatal("no pipe");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(1);
        const QByteArray told = run().toUtf8();
        ::_exit(::write(pipeEnds[1], told.constData(), size_t(told.size())) == told.size() ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    QByteArray told;
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        told.append(buffer, got);
    ::close(pipeEnds[0]);
    ::waitpid(child, nullptr, 0);
    return QString::fromUtf8(told);
}
#endif

} // namespace

/** tessdesk.ini: what it reads, which bytes a write changes, atomic saves, and the picture list in it. */
class tst_SettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void reads_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const char* file, const char* key, const char* expected) {
            QTest::addRow("%s", name) << QByteArray(file) << key << expected;
        };
        row("blanks trimmed, split at first =", "[ a ]\n \t k \v=  3=4 \t\n", "k", "3=4");
        row("first of keys in any case", "[A]\nk=1\nK=2\n", "K", "1");
        row("double quotes", "[a]\nk= \"x \" \n", "k", "x ");
        row("mark, lone CR lines", "\xef\xbb\xbf[a]\rk=1\rj=2", "j", "2");
        // The unassigned 0x81 and 0x9D are kept as the control characters they stand for.
        row("Windows-1252", "[a]\nk=Caf\xe9 \x80\x93\x8a\x9f\x81\x9d\xa0\xff\n", "k",
            "Caf\u00e9 \u20ac\u201c\u0160\u0178\u0081\u009d\u00a0\u00ff");
        // An overlong form is no UTF-8: the line is Windows-1252.
        row("overlong UTF-8", "[a]\nk=\xe0\x80\xaf\n", "k", "\u00e0\u20ac\u00af");
    }
    void reads()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        TempAppFolder folder;
        folder.writeSettings(file);
        QCOMPARE(SettingsFile(folder.settingsPath(), native).read("a", key), expected);
    }

    void writeChangesOnlyItsLines_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QByteArray>("expected");
        const auto row = [](const char* name, const QByteArray& file, const char* script,
                            const QByteArray& expected) {
            QTest::addRow("%s", name) << file << QByteArray(script) << expected;
        };
        const QByteArray crlf =
            "x = y\r\n[Display]\r\n  ImageNum = 3 \r\n  ; comment \r\n\r\n[font]\r\nf=A\r\n";
        row("replace keeps spelling", crlf, "w\tdisplay\timagenum\t4",
            QByteArray(crlf).replace("= 3 ", "=4"));
        row("new key before trailing lines", crlf, "w\tdisplay\tk\t1",
            QByteArray(crlf).replace("3 \r\n", "3 \r\nk=1\r\n"));
        row("new section at end", crlf, "w\ttime\tm\t5", crlf + "[time]\r\nm=5\r\n");
        row("Windows-1252 lines become UTF-8, UTF-8 lines stay",
            "[a]\nk=Caf\xe9\nu=\xc3\xa9 \xe2\x82\xac\n; \x80\n", "w\ta\tn\t1",
            "[a]\nk=Caf\xc3\xa9\nu=\xc3\xa9 \xe2\x82\xac\nn=1\n; \xe2\x82\xac\n");
        row("Windows-1252 file written with the value it holds", "[a]\nk=Caf\xe9\n", "w\ta\tk\tCaf\xc3\xa9",
            "[a]\nk=Caf\xc3\xa9\n");
        row("remove every section of a name", "h\n[a]\nk=1\n; c\n[b]\nx=1\n[A]\nm=3\n", "r\ta",
            "h\n; c\n[b]\nx=1\n");
        row("list over a list", "[i]\n0=a\n; c\n1=b\n[j]\n", "l\ti\tA\tb\tc",
            "[i]\n0=A\n; c\n1=b\n2=c\n[j]\n");
        row("outer blanks and quotes quoted", "[a]\n", "l\ta\t x\t'q'\t\"q",
            "[a]\n0=\" x\"\n1=\"'q'\"\n2=\"q\n");
    }
    void writeChangesOnlyItsLines()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, script);
        QFETCH(QByteArray, expected);
        TempAppFolder folder;
        folder.writeSettings(file);
        SettingsFile settings(folder.settingsPath(), native);
        const Result<> saved = settings.apply(IniPropertyCheck::edits(script));
        QVERIFY2(saved, qPrintable(saved.reason()));
        QCOMPARE(folder.readSettings(), expected);
    }

    void values_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // "-": does not convert
        for (const char* row :
             {"int16|1,5|2", "int16|2.5|2", "int16|3.5|4", "int16|40000|32767", "int16|-40000|-32768",
              "int16|7x|-", "flag|TRUE|1", "flag|-1|1", "flag|0.0|0", "flag|yes|-"}) {
            const QStringList f = QString::fromLatin1(row).split(QLatin1Char('|'));
            QTest::addRow("%s", row) << f[0] << f[1] << f[2];
        }
    }
    void values()
    {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const auto wide = [](auto v) {
            return v ? std::optional<qint64>(*v) : std::nullopt;
        };
        const std::optional<qint64> got =
            kind == "int16" ? wide(SettingValue::toInt16(text)) : wide(SettingValue::toFlag(text));
        QCOMPARE(got ? QString::number(*got) : QStringLiteral("-"), expected);
    }

    void checkedValues_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        // Out of its bounds or unreadable, a value is the shipped one; sequenceType and timeOption as
        // their choices' numbers (list 0, random 1, each once 2; minutes 0, hours 1, days 2).
        for (const char* row :
             {"newFontSize|200|16", "newFontSize|12,5|12.5", "timeMin|0|30", "timeMin|60|60",
              "newFontForeColor|16777216|0", "displayType|2.0|2", "onOffCaption|2|0", "newFontBold|maybe|1",
              "newFontName| |DejaVu Sans", "sequenceType|shuffle|2", "sequenceType|1|1", "timeOption|-1|2",
              "timeOption|x|1", "changeEveryBoot|1|1", "captionEffect|4|0", "automaticColour||0"}) {
            const QStringList f = QString::fromLatin1(row).split(QLatin1Char('|'));
            QTest::addRow("%s", row) << f[0] << f[1] << f[2];
        }
    }
    void checkedValues()
    {
        QFETCH(QString, key);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const auto spec = std::find_if(SettingsSchema::all().begin(), SettingsSchema::all().end(),
                                       [&key](const SettingSpec& s) { return key == QLatin1String(s.key); });
        QVERIFY(spec != SettingsSchema::all().end());
        Settings settings;
        settings.*spec->field = text;
        const CheckedSettings checked(settings);
        QString got;
        if (key == "sequenceType")
            got = QString::number(int(checked.order()));
        else if (key == "timeOption")
            got = QString::number(int(checked.unit()));
        else if (spec->type == SettingType::Text)
            got = checked.text(spec->field);
        else if (spec->type == SettingType::Number)
            got = QString::number(checked.number(spec->field));
        else if (spec->type == SettingType::Flag)
            got = QString::number(checked.flag(spec->field));
        else if (spec->type == SettingType::Colour)
            got = QString::number(checked.colour(spec->field));
        else
            got = QString::number(checked.integer(spec->field));
        QCOMPARE(got, expected);
    }

    void schemaShipsTheShippedFile_data()
    {
        QTest::addColumn<int>("row");
        for (qsizetype i = 0; i < qsizetype(SettingsSchema::all().size()); ++i)
            QTest::addRow("%s", SettingsSchema::all()[i].key) << int(i);
    }
    void schemaShipsTheShippedFile()
    {
        QFETCH(int, row);
        const SettingSpec& spec = SettingsSchema::all()[row];
        SettingsFile shipped(QStringLiteral(TESSALY_SOURCE_DIR "/data/tessdesk.ini"), native);
        QCOMPARE(shipped.read(QLatin1String(spec.section), QLatin1String(spec.key)),
                 QLatin1String(spec.shippedDefault));
    }

    void folderFailuresTellTheirReason_data()
    {
        QTest::addColumn<QString>("obstacle"); // a file in the way, or a read-only config home
        QTest::addColumn<QString>("folder");   // the folder named as failing
        QTest::addColumn<QString>("reason");
        // Paths are under a fresh folder; the config home is "config/" in it.
        const auto row = [](const char* name, const char* obstacle, const char* folder, const char* reason) {
            QTest::addRow("%s", name) << obstacle << folder << reason;
        };
        row("settings folder: a file in the way of its parent", "config", "config", "Not a directory");
        row("settings folder: a read-only parent", "read-only", "config/tessaly", "Permission denied");
    }
    void folderFailuresTellTheirReason()
    {
#ifdef Q_OS_WIN
        QSKIP("POSIX rights and a user without them");
#else
        QFETCH(QString, obstacle);
        QFETCH(QString, folder);
        QFETCH(QString, reason);
        TempAppFolder home;
        const QString configHome = home.file("config/");
        // Whoever runs the program may look into the folders (see asPlainUser), not write into them.
        const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                            QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(home.folder(), readOnly | QFile::WriteOwner));
        if (obstacle == "read-only") {
            QVERIFY(QDir().mkdir(configHome) && QFile::setPermissions(configHome, readOnly));
        } else {
            QVERIFY(obstacle == "config" || QDir().mkdir(configHome));
            QFile file(home.file(obstacle));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const QString told = asPlainUser([&] {
            return ApplicationFolder::resolve(native, configHome, configHome + QStringLiteral("/tessaly"),
                                              configHome)
                .reason();
        });
        // "cannot create the folder F: reason" or "creating the folder F failed: reason"
        const QString named = QStringLiteral("the folder ") + home.file(folder);
        QVERIFY2(told.contains(named + ": " + reason) || told.contains(named + " failed: " + reason),
                 qPrintable(told));
#endif
    }

    void failedSaveKeepsOldFile_data()
    {
        using Step = FaultyFileSystem::Step;
        QTest::addColumn<Step>("step");
        QTest::addColumn<QString>("reason");
        QTest::addRow("unreadable file") << Step::ReadFile << "Permission denied";
        QTest::addRow("read-only file") << Step::CheckWritable << "Permission denied";
        QTest::addRow("read-only folder") << Step::CreateNew << "Read-only file system";
        QTest::addRow("disk full half-way") << Step::Write << "No space left on device";
        QTest::addRow("mode not kept") << Step::SetMode << "Operation not permitted";
        QTest::addRow("flush fails") << Step::Sync << "Input/output error";
        QTest::addRow("close fails") << Step::Close << "No space left on device";
        QTest::addRow("rename fails") << Step::Rename << "Invalid cross-device link";
    }
    void failedSaveKeepsOldFile()
    {
        QFETCH(FaultyFileSystem::Step, step);
        QFETCH(QString, reason);
        TempAppFolder folder;
        const QByteArray old = saved(folder, 2000, 'A');
        FaultyFileSystem fs;
        fs.failAt(step, reason, 40000);
        SettingsFile settings(folder.settingsPath(), fs);
        const QString told = settings.apply(listSave(2500, 'B')).reason();
        QCOMPARE(folder.readSettings(), old);
        QCOMPARE(folderEntries(folder), QStringList{"tessdesk.ini"});
        QVERIFY(told.contains(folder.settingsPath()));
        QVERIFY(told.contains(reason));
        fs.failAt(FaultyFileSystem::Step::None);
        // What is read, and kept by the next save, is the file, not the save that failed.
        QCOMPARE(settings.read("total", "total"), "2000");
        QVERIFY(settings.write("images", "5", "again"));
        QCOMPARE(SettingsFile(folder.settingsPath(), native).read("images", "5"), "again");
    }

    void folderFlushFails()
    {
        TempAppFolder folder;
        folder.writeSettings("[a]\nk=1\n");
        FaultyFileSystem fs;
        fs.failAt(FaultyFileSystem::Step::SyncFolder,
                  "Input/output error"); // after the rename: told, and the new value held
        SettingsFile settings(folder.settingsPath(), fs);
        QVERIFY(settings.write("a", "k", "2").reason().contains("Input/output error"));
        QCOMPARE(settings.read("a", "k"), "2");
    }

    void killedSaveLeavesWholeFile()
    {
#ifdef Q_OS_WIN
        QSKIP("a child process killed while it saves (fork)");
#else
        TempAppFolder folder;
        const QList<IniEdit> lists[2] = {listSave(12000, 'B'), listSave(12000, 'A')};
        const QByteArray listB = saved(folder, 12000, 'B'), listA = saved(folder, 12000, 'A');
        for (int run = 0; run < 20; ++run) {
            folder.writeSettings(listA);
            int saves[2];
            QVERIFY(::pipe(saves) == 0);
            const pid_t child = ::fork();
            QVERIFY(child >= 0);
            for (unsigned round = 0; child == 0; ++round) {
                if (!SettingsFile(folder.settingsPath(), native).apply(lists[round % 2]) ||
                    ::write(saves[1], "s", 1) != 1)
                    ::_exit(1);
            }
            ::close(saves[1]);
            // Killed once it has saved a few times, wherever it is in the next save then.
            char done[8];
            QVERIFY(::read(saves[0], done, std::size_t(1 + run % 3)) > 0);
            ::close(saves[0]);
            int status = 0;
            QVERIFY(::kill(child, SIGKILL) == 0 && ::waitpid(child, &status, 0) == child);
            QVERIFY(WIFSIGNALED(status)); // killed while saving, so no clean-up ran
            const QByteArray left = folder.readSettings();
            QVERIFY2(left == listA || left == listB, qPrintable(QStringLiteral("run %1: torn").arg(run)));
            SettingsFile(folder.settingsPath(), native).removeStaleTemporaries();
            QCOMPARE(folderEntries(folder), QStringList{"tessdesk.ini"});
        }
#endif
    }

    void onlyTemporariesAreSwept()
    {
        // What a save's temporary is named, and the user's files that only look like one.
        TempAppFolder folder;
        const QStringList kept{".tessdesk.ini.Ab3xY.tmp",
                               ".tessdesk.ini.Ab3x-Z.tmp",
                               ".tessdesk.ini.Ab3xYz.tmp~",
                               ".tessdesk.ini.Ab3xYz.bak",
                               "tessdesk.ini.Ab3xYz.tmp",
                               ".tessdesk.ini.\u00c93xYz.tmp",
                               "tessdesk.ini"};
        for (const QString& name : kept + QStringList{".tessdesk.ini.Ab3xYz.tmp"})
            QVERIFY(QFile(folder.file(name)).open(QIODevice::WriteOnly));
        QCOMPARE(SettingsFile(folder.settingsPath(), native).removeStaleTemporaries(), 1);
        QStringList left = folderEntries(folder), expected = kept;
        left.sort();
        expected.sort();
        QCOMPARE(left, expected);
    }

    void listCountLimitAtItsEdge()
    {
        // The stored total: the last position is total - 1 rounded half to even, at most the limit.
        const QStringList totals{"", "two", "-4", "1.5", "2.5", "32766", "32768"};
        const QList<int> counts{0, 0, 0, 1, 3, 32766, 32767};
        for (int i = 0; i < totals.size(); ++i)
            QCOMPARE(LoadedImages::storedCount(totals[i]), counts[i]);
        LoadedImages images;
        QCOMPARE(images.appendPaths(QStringList(32766, QStringLiteral("/p.jpg"))), 32766);
        QCOMPARE(images.append(QStringLiteral("/last.jpg")), 32766);
        QCOMPARE(images.append(QStringLiteral("/over.jpg")), -1);
        images.removeAt(0);
        images.removeAt(0);
        QCOMPARE(images.appendPaths({"/x", "/y", "/z"}), 2);
        QCOMPARE(images.pathAt(32766), QStringLiteral("/y"));
    }

    void listEditedAndSaved()
    {
        TempAppFolder folder;
        folder.writeSettings("[total]\ntotal=3\n[images]\n0=/a\n1=/b\n2=/c\n[caption]\n0=A\n1=\n2=C\n3=D\n");
        SettingsFile settings(folder.settingsPath(), native);
        LoadedImages images;
        images.loadFromSettings(settings);
        // The file's text changes completely while the entries it gave stay loaded.
        QVERIFY(settings.apply(
            {IniEdit::removeSection("images"), IniEdit::writeList("x", {QByteArray(500, 'x')})}));
        QCOMPARE(images.moveDown(images.moveUp(2)), 2);
        QCOMPARE(images.moveUp(images.moveUp(2)), 0); // captions travel with their pictures
        images.removeAt(2);
        images.append(QStringLiteral("/new\nline.jpg"));
        images.append(QStringLiteral("/d"), QStringLiteral("two\r\nlines"));
        images.append(QStringLiteral(" /\"q\" \u00fc"), QStringLiteral(" 'q' "));
        QStringList leftOut; // what the file cannot hold is left out and named
        QVERIFY(images.saveToSettings(settings, &leftOut));
        QCOMPARE(leftOut, QStringList({"/new\nline.jpg", "/d"}));
        QCOMPARE(folder.readSettings(), "[total]\ntotal=3\n[x]\n0=" + QByteArray(500, 'x') +
                                            "\n[images]\n0=/c\n1=/a\n2=\" /\"q\" \xc3\xbc\"\n"
                                            "[caption]\n0=C\n1=A\n2=\" 'q' \"\n");
        images.loadFromSettings(settings);
        QCOMPARE(images.pathAt(2) + '|' + images.captionAt(2), " /\"q\" \u00fc| 'q' ");
        images.clear();
        images.appendPaths({QString(), QStringLiteral("/b")});
        QVERIFY(images.isEmpty()); // an empty first entry is an empty list
    }

    void startUp()
    {
        TempAppFolder folder;
        FakeClock clock(QDateTime(QDate(2026, 3, 14), QTime(9, 30, 5)));
        FakePrompter prompter;
        LoadedImages images;
        SettingsFile file(folder.settingsPath(), native);
        const auto run = [&] {
            const Settings s = StartupSequence::run(file, folder.folder(), images, clock, prompter);
            return QStringList({s.displayType, s.sequenceType, s.newFontSize, s.newFontBold, s.newFontName,
                                s.timeOption, s.timeHour, s.ChangeTime, s.total})
                .join(' ');
        };
        // A missing file, and keys that are missing or malformed, read as shipped; ChangeTime is now.
        const QString shipped = "0 0 16 True DejaVu Sans 1 1 2026-03-14 09:30:05 ";
        QCOMPARE(run(), shipped + "0");
        QCOMPARE(folder.readSettings(), QByteArray("[time]\nChangeTime=2026-03-14 09:30:05\n"));
        folder.writeSettings(
            "[display]\ndisplayType=7\nsequenceType=x\n[font]\nnewFontSize=0\nnewFontBold=maybe\n"
            "newFontName=\n[time]\ntimeOption=\ntimeHour=1e9x\nChangeTime=\n[total]\ntotal=x\n");
        QCOMPARE(run(), shipped + "0");
        // The first start puts the two sample pictures in the list, once.
        folder.seedShippedData();
        QCOMPARE(run(), shipped + "2");
        QCOMPARE(images.pathAt(1), folder.file("image2.gif"));
        QVERIFY(file.write("total", "total", "0"));
        QCOMPARE(run(), shipped + "0");
        QVERIFY(prompter.shown().isEmpty());
    }

    void notAPlainFileIsRefusedAtOnce()
    {
#ifdef Q_OS_WIN
        QSKIP("named pipes in the file system");
#else
        TempAppFolder folder;
        // A settings file that is a pipe is neither read (which would block) nor written over.
        QVERIFY(::mkfifo(QFile::encodeName(folder.settingsPath()).constData(), 0600) == 0);
        SettingsFile file(folder.settingsPath(), native);
        const QString told = folder.settingsPath() + ": it is a named pipe, not a plain file";
        QCOMPARE(file.usable().reason(), told);
        const QString refused = file.write("display", "imageNum", "1").reason();
        QVERIFY2(refused.contains(told), qPrintable(refused));
        QVERIFY(QFileInfo(folder.settingsPath()).isFile() == false);
#endif
    }
};

QTEST_GUILESS_MAIN(tst_SettingsFile)
#include "tst_SettingsFile.moc"
