// SPDX-License-Identifier: GPL-3.0-or-later
#include "FaultyFileSystem.h"
#include "TempAppFolder.h"
#include "core/IniDocument.h"
#include "core/SettingsFile.h"
#include "platform/PosixFileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <cerrno>
#include <sys/stat.h>

Q_DECLARE_METATYPE(FaultyFileSystem::Step)

namespace {

QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// A settings file like a saved list, large enough that a save takes many write() calls.
QByteArray listFile(int entries, const QByteArray& marker)
{
    QByteArray file =
        "; saved by hand\r\n[total]\r\ntotal=" + QByteArray::number(entries) + "\r\n[images]\r\n";
    for (int i = 0; i < entries; ++i)
        file += QByteArray::number(i) + "=/home/user/Pictures/" + marker + "/holiday-" +
                QByteArray::number(i) + ".jpg\r\n";
    file += "[caption]\r\n";
    for (int i = 0; i < entries; i += 3)
        file += QByteArray::number(i) + "=Caption " + marker + QByteArray::number(i) + "\r\n";
    return file + "[display]\r\nimageNum=0\r\n";
}

QList<IniEdit> listSave(int entries, const QString& marker)
{
    QList<IniEdit> edits{IniEdit::write("total", "total", QString::number(entries)),
                         IniEdit::removeSection("images")};
    for (int i = 0; i < entries; ++i)
        edits.append(IniEdit::write("images", QString::number(i),
                                    QStringLiteral("/srv/photos/%1/%2.jpg").arg(marker).arg(i)));
    edits.append(IniEdit::removeSection("caption"));
    for (int i = 0; i < entries; ++i)
        edits.append(
            IniEdit::write("caption", QString::number(i), i % 4 ? QStringLiteral(" %1 ").arg(i) : QString()));
    return edits;
}

} // namespace

/** Saving: atomic under every failure, symbolic links, modes, and other programs' edits. */
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
        QTest::addRow("quota exceeded") << Step::Write << EDQUOT << qint64(1);
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
        const QByteArray old = listFile(2000, "old");
        folder.writeSettings(old);
        FaultyFileSystem fs;
        SettingsFile settings(folder.settingsPath(), fs);
        QCOMPARE(settings.read("images", "5"), QStringLiteral("/home/user/Pictures/old/holiday-5.jpg"));

        fs.failAt(step, error, bytesBeforeFailure);
        QVERIFY(!settings.apply(listSave(2500, "new")));
        QCOMPARE(folder.readSettings(), old);
        QCOMPARE(folderEntries(folder.folder()), QStringList{"tessdesk.ini"});
        QVERIFY2(settings.errorString().contains(folder.settingsPath()), qPrintable(settings.errorString()));
        QVERIFY2(settings.errorString().contains(qt_error_string(error)), qPrintable(settings.errorString()));
        QCOMPARE(settings.read("images", "5"), QStringLiteral("/home/user/Pictures/old/holiday-5.jpg"));

        fs.failAt(FaultyFileSystem::Step::None, 0);
        QVERIFY(settings.write("images", "5", "again"));
        QCOMPARE(SettingsFile(folder.settingsPath(), PosixFileSystem::instance()).read("images", "5"),
                 QStringLiteral("again"));
    }

    void shortWritesAreCompleted()
    {
        TempAppFolder folder;
        FaultyFileSystem fs;
        fs.limitWrites(7);
        SettingsFile settings(folder.settingsPath(), fs);
        QVERIFY(settings.apply(listSave(300, "short")));
        QCOMPARE(SettingsFile(folder.settingsPath(), PosixFileSystem::instance()).read("images", "299"),
                 QStringLiteral("/srv/photos/short/299.jpg"));
    }

    void folderSyncFailureIsReported()
    {
        TempAppFolder folder;
        folder.writeSettings("[a]\nk=1\n");
        FaultyFileSystem fs;
        fs.failAt(FaultyFileSystem::Step::SyncFolder, EIO);
        SettingsFile settings(folder.settingsPath(), fs);
        QVERIFY(!settings.write("a", "k", "2"));
        QVERIFY(settings.errorString().contains(qt_error_string(EIO)));
        QCOMPARE(folderEntries(folder.folder()), QStringList{"tessdesk.ini"});
        QCOMPARE(settings.read("a", "k"), QStringLiteral("2"));
    }

    void unreadableFileIsNotOverwritten()
    {
        TempAppFolder folder;
        folder.writeSettings("[a]\nk=1\n");
        FaultyFileSystem fs;
        fs.failAt(FaultyFileSystem::Step::ReadFile, EACCES);
        SettingsFile settings(folder.settingsPath(), fs);
        QVERIFY(!settings.write("a", "j", "2"));
        QVERIFY(settings.errorString().contains(folder.settingsPath()));
        QCOMPARE(folder.readSettings(), QByteArray("[a]\nk=1\n"));
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

    void symbolicLinksAreFollowed_data()
    {
        QTest::addColumn<bool>("relative");
        QTest::addRow("absolute link") << false;
        QTest::addRow("relative link") << true;
    }

    void symbolicLinksAreFollowed()
    {
        QFETCH(bool, relative);
        TempAppFolder folder;
        QVERIFY(QDir(folder.folder()).mkpath("real"));
        const QString target = folder.file("real/settings.ini");
        QFile::remove(folder.settingsPath());
        QVERIFY(QFile::link(relative ? QStringLiteral("real/settings.ini") : target, folder.settingsPath()));
        SettingsFile settings(folder.settingsPath(), PosixFileSystem::instance());
        QVERIFY2(settings.write("a", "k", "1"), qPrintable(settings.errorString()));
        QVERIFY(settings.write("a", "k", "2"));
        QVERIFY(QFileInfo(folder.settingsPath()).isSymLink());
        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[a]\nk=2\n"));
    }

    void fileModeIsKept()
    {
        TempAppFolder folder;
        folder.writeSettings("[a]\nk=1\n");
        QVERIFY(::chmod(QFile::encodeName(folder.settingsPath()).constData(), 0640) == 0);
        QVERIFY(SettingsFile(folder.settingsPath(), PosixFileSystem::instance()).write("a", "k", "2"));
        struct stat st;
        QVERIFY(::stat(QFile::encodeName(folder.settingsPath()).constData(), &st) == 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0640));
    }

    void staleTemporariesAreRemoved()
    {
        TempAppFolder folder;
        folder.writeSettings("[a]\nk=1\n");
        const QStringList stale{".tessdesk.ini.Ab12cD.tmp", ".tessdesk.ini.zzzzzz.tmp"};
        const QStringList kept{".tessdesk.ini.toolong1.tmp", "tessdesk.ini.Ab12cD.tmp",
                               ".other.ini.Ab12cD.tmp", "notes.tmp"};
        for (const QString& name : stale + kept) {
            QFile file(folder.file(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(SettingsFile(folder.settingsPath(), PosixFileSystem::instance()).removeStaleTemporaries(),
                 2);
        QStringList expected = kept + QStringList{"tessdesk.ini"};
        expected.sort();
        QStringList actual = folderEntries(folder.folder());
        actual.sort();
        QCOMPARE(actual, expected);
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
        if (sameInode) {
            QFile file(folder.settingsPath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(edited);
            file.close();
            // Coarse time stamps could hide the change; an editor's save moves them on.
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(
                file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
        } else {
            QFile file(folder.file("replacement"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(edited);
            file.close();
            QVERIFY(::rename(QFile::encodeName(file.fileName()), QFile::encodeName(folder.settingsPath())) ==
                    0);
        }
        const IniDocument expected = IniDocument::parse(edited);
        QCOMPARE(settings.read("a", "k"), expected.value("a", "k"));
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
        const QByteArray old = listFile(before, "old");
        folder.writeSettings(old);
        const QList<IniEdit> edits = listSave(after, "new");

        // One at a time, read again from the text between every two edits.
        IniDocument single = IniDocument::parse(old);
        for (const IniEdit& edit : edits) {
            if (edit.kind == IniEdit::Kind::Write)
                single.setValue(edit.section, edit.key, edit.value);
            else
                single.removeSection(edit.section);
            single = IniDocument::parse(single.serialise());
        }
        SettingsFile settings(folder.settingsPath(), PosixFileSystem::instance());
        QVERIFY(settings.apply(edits));
        QCOMPARE(folder.readSettings(), single.serialise());
    }
};

QTEST_GUILESS_MAIN(tst_SettingsFileSave)
#include "tst_SettingsFileSave.moc"
