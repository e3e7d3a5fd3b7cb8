// SPDX-License-Identifier: GPL-3.0-or-later
#include "CrashTestList.h"
#include "FaultyFileSystem.h"
#include "TempAppFolder.h"
#include "core/IniDocument.h"
#include "platform/PosixFileSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <cerrno>
#include <sys/stat.h>

Q_DECLARE_METATYPE(FaultyFileSystem::Step)

namespace {

QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

/** The folder's settings file holding a saved list of `entries`; returns its bytes. */
QByteArray savedList(const TempAppFolder& folder, int entries, QChar marker)
{
    if (!SettingsFile(folder.settingsPath(), PosixFileSystem::instance())
             .apply(crashTestList(entries, marker)))
        qFatal("cannot save a list");
    return folder.readSettings();
}

} // namespace

/** Saving: atomic under every failure and a kill, symbolic links, modes, and other programs' edits. */
class tst_SettingsFileSave : public QObject
{
    Q_OBJECT

private slots:
    void failedSaveKeepsOldFile_data()
    {
        using Step = FaultyFileSystem::Step;
        QTest::addColumn<Step>("step");
        QTest::addColumn<int>("error");
        QTest::addColumn<qint64>("bytesBeforeFailure");
        QTest::addRow("read-only file") << Step::CheckWritable << EACCES << qint64(0);
        QTest::addRow("read-only folder") << Step::CreateNew << EROFS << qint64(0);
        QTest::addRow("disk full at once") << Step::Write << ENOSPC << qint64(0);
        QTest::addRow("disk full half-way") << Step::Write << ENOSPC << qint64(40000);
        QTest::addRow("mode not kept") << Step::SetMode << EPERM << qint64(0);
        QTest::addRow("flush fails") << Step::Sync << EIO << qint64(0);
        QTest::addRow("close fails") << Step::Close << ENOSPC << qint64(0);
        QTest::addRow("rename fails") << Step::Rename << EXDEV << qint64(0);
    }
    void failedSaveKeepsOldFile()
    {
        QFETCH(FaultyFileSystem::Step, step);
        QFETCH(int, error);
        QFETCH(qint64, bytesBeforeFailure);
        TempAppFolder folder;
        const QByteArray old = savedList(folder, 2000, u'A');
        FaultyFileSystem fs;
        SettingsFile settings(folder.settingsPath(), fs);
        const QString fifth = settings.read("images", "5");

        fs.failAt(step, error, bytesBeforeFailure);
        QVERIFY(!settings.apply(crashTestList(2500, u'B')));
        QCOMPARE(folder.readSettings(), old);
        QCOMPARE(folderEntries(folder.folder()), QStringList{"tessdesk.ini"});
        QVERIFY2(settings.errorString().contains(folder.settingsPath()), qPrintable(settings.errorString()));
        QVERIFY2(settings.errorString().contains(qt_error_string(error)), qPrintable(settings.errorString()));
        QCOMPARE(settings.read("images", "5"), fifth);

        fs.failAt(FaultyFileSystem::Step::None, 0);
        QVERIFY(settings.write("images", "5", "again"));
        QCOMPARE(SettingsFile(folder.settingsPath(), PosixFileSystem::instance()).read("images", "5"),
                 QStringLiteral("again"));
    }

    void failuresAroundTheWrite()
    {
        TempAppFolder folder;
        folder.writeSettings("[a]\nk=1\n");
        FaultyFileSystem fs;
        // Unreadable: never overwritten.
        fs.failAt(FaultyFileSystem::Step::ReadFile, EACCES);
        QVERIFY(!SettingsFile(folder.settingsPath(), fs).write("a", "j", "2"));
        QCOMPARE(folder.readSettings(), QByteArray("[a]\nk=1\n"));
        // The folder's flush fails after the rename: told, and the new value is what is held.
        fs.failAt(FaultyFileSystem::Step::SyncFolder, EIO);
        SettingsFile settings(folder.settingsPath(), fs);
        QVERIFY(!settings.write("a", "k", "2"));
        QVERIFY(settings.errorString().contains(qt_error_string(EIO)));
        QCOMPARE(folderEntries(folder.folder()), QStringList{"tessdesk.ini"});
        QCOMPARE(settings.read("a", "k"), QStringLiteral("2"));
        // A device that takes a few bytes per call still gets them all.
        fs.failAt(FaultyFileSystem::Step::None, 0);
        fs.limitWrites(7);
        const QByteArray whole = savedList(folder, 300, u'D');
        savedList(folder, 300, u'C');
        QVERIFY(SettingsFile(folder.settingsPath(), fs).apply(crashTestList(300, u'D')));
        QCOMPARE(folder.readSettings(), whole);
    }

    void killedSaveLeavesWholeFile()
    {
        const int entries = 12000;
        TempAppFolder folder;
        const QByteArray listB = savedList(folder, entries, u'B');
        const QByteArray listA = savedList(folder, entries, u'A');
        int endedNew = 0;
        for (int run = 0; run < 20; ++run) {
            folder.writeSettings(listA);
            QProcess child;
            child.start(QStringLiteral(SAVE_LOOP_PATH), {folder.settingsPath(), QString::number(entries)});
            QVERIFY2(child.waitForReadyRead(10000), "the saving child did not start");
            QTest::qSleep(QRandomGenerator::global()->bounded(5, 120));
            QCOMPARE(child.state(), QProcess::Running);
            child.kill(); // SIGKILL: no clean-up runs
            QVERIFY(child.waitForFinished(10000));
            const QByteArray left = folder.readSettings();
            QVERIFY2(left == listA || left == listB,
                     qPrintable(QStringLiteral("run %1 left a torn file").arg(run)));
            endedNew += left == listB;
            SettingsFile(folder.settingsPath(), PosixFileSystem::instance()).removeStaleTemporaries();
            QCOMPARE(folderEntries(folder.folder()), QStringList{"tessdesk.ini"});
        }
        qInfo("%d of 20 killed runs had replaced the file", endedNew);
    }

    void missingFolderIsCreated()
    {
        TempAppFolder folder;
        const QString path = folder.file("deeper/still/tessdesk.ini");
        SettingsFile settings(path, PosixFileSystem::instance());
        QCOMPARE(settings.read("a", "k"), QString());
        QVERIFY(settings.removeSection("a"));
        QVERIFY(!QFileInfo::exists(path));
        QVERIFY2(settings.write("a", "k", "v"), qPrintable(settings.errorString()));
        QCOMPARE(SettingsFile(path, PosixFileSystem::instance()).read("a", "k"), QStringLiteral("v"));
    }

    void symbolicLinksFollowedAndModeKept_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addRow("absolute link") << "abs";
        QTest::addRow("relative link") << "real/settings.ini";
    }
    void symbolicLinksFollowedAndModeKept()
    {
        QFETCH(QString, link);
        TempAppFolder folder;
        QVERIFY(QDir(folder.folder()).mkpath("real"));
        const QString target = folder.file("real/settings.ini");
        QFile::remove(folder.settingsPath());
        QVERIFY(QFile::link(link == "abs" ? target : link, folder.settingsPath()));
        SettingsFile settings(folder.settingsPath(), PosixFileSystem::instance());
        QVERIFY2(settings.write("a", "k", "1"), qPrintable(settings.errorString()));
        QVERIFY(::chmod(QFile::encodeName(target).constData(), 0640) == 0);
        QVERIFY(settings.write("a", "k", "2"));
        QVERIFY(QFileInfo(folder.settingsPath()).isSymLink());
        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[a]\nk=2\n"));
        struct stat st;
        QVERIFY(::stat(QFile::encodeName(target).constData(), &st) == 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0640));
    }

    void staleTemporariesAreRemoved()
    {
        TempAppFolder folder;
        folder.writeSettings("[a]\nk=1\n");
        const QStringList stale{".tessdesk.ini.Ab12cD.tmp", ".tessdesk.ini.zzzzzz.tmp"};
        QStringList kept{".tessdesk.ini.toolong1.tmp", "tessdesk.ini.Ab12cD.tmp", ".other.ini.Ab12cD.tmp",
                         "notes.tmp", "tessdesk.ini"};
        for (const QString& name : stale + kept) {
            QFile file(folder.file(name));
            QVERIFY(file.open(QIODevice::Append));
        }
        QCOMPARE(SettingsFile(folder.settingsPath(), PosixFileSystem::instance()).removeStaleTemporaries(),
                 2);
        kept.sort();
        QCOMPARE(folderEntries(folder.folder()), kept);
    }

    void otherProgramsEditsAreKept_data()
    {
        QTest::addColumn<QByteArray>("edited");
        QTest::addColumn<bool>("sameInode");
        QTest::addRow("key added in place") << QByteArray("[a]\nk=1\nother=x\n") << true;
        QTest::addRow("same size, new inode") << QByteArray("[a]\nk=9\n") << false;
        QTest::addRow("same size, in place") << QByteArray("[a]\nk=9\n") << true;
    }
    void otherProgramsEditsAreKept()
    {
        QFETCH(QByteArray, edited);
        QFETCH(bool, sameInode);
        TempAppFolder folder;
        folder.writeSettings("[a]\nk=1\n");
        SettingsFile settings(folder.settingsPath(), PosixFileSystem::instance());
        QCOMPARE(settings.read("a", "k"), QStringLiteral("1"));
        QFile file(sameInode ? folder.settingsPath() : folder.file("replacement"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(edited) == edited.size());
        file.close();
        if (sameInode) {
            // Coarse time stamps could hide the change; an editor's save moves them on.
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(
                file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
        } else {
            QVERIFY(::rename(QFile::encodeName(file.fileName()), QFile::encodeName(folder.settingsPath())) ==
                    0);
        }
        QCOMPARE(settings.read("a", "k"), QString::fromLatin1(edited.mid(6, 1)));
        QVERIFY(settings.write("b", "n", "2"));
        QCOMPARE(folder.readSettings(), edited + "[b]\nn=2\n");
    }

    void batchEqualsKeyByKey_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::addRow("list grows") << 200 << 1000;
        QTest::addRow("list shrinks") << 1000 << 200;
    }
    void batchEqualsKeyByKey()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        TempAppFolder folder;
        // Comments, CRLF and a section after the list, as a hand-edited file has.
        const QByteArray old = "; by hand\r\n" + savedList(folder, before, u'A').replace("\n", "\r\n") +
                               "[display]\r\nimageNum=0\r\n";
        folder.writeSettings(old);
        const QList<IniEdit> edits = crashTestList(after, u'B');
        // One at a time, read again from the text between every two edits.
        IniDocument single = IniDocument::parse(old);
        for (const IniEdit& edit : edits) {
            if (edit.kind == IniEdit::Kind::Write)
                single.setValue(edit.section, edit.key, edit.value);
            else
                single.removeSection(edit.section);
            single = IniDocument::parse(single.serialise());
        }
        QVERIFY(SettingsFile(folder.settingsPath(), PosixFileSystem::instance()).apply(edits));
        QCOMPARE(folder.readSettings(), single.serialise());
    }
};

QTEST_GUILESS_MAIN(tst_SettingsFileSave)
#include "tst_SettingsFileSave.moc"
