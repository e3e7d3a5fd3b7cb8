// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniEditScript.h"
#include "TempAppFolder.h"
#include "core/SettingsFile.h"
#include "platform/PosixFileSystem.h"

#include <QDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>
#include <thread>

namespace {

/** A settings file with one list entry, for writes that must be refused and leave it alone. */
struct OneEntryFile
{
    OneEntryFile() { folder.writeSettings(before); }
    bool isUnchanged() const { return folder.readSettings() == before; }

    TempAppFolder folder;
    const QByteArray before{"[images]\n0=old\n"};
    SettingsFile settings{folder.settingsPath(), PosixFileSystem::instance()};
};

} // namespace

/** What the settings file reads from existing files, and which bytes a write changes. */
class tst_SettingsFileFormat : public QObject
{
    Q_OBJECT

private slots:
    void readsLikeTheProfileFunctions_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");

        QTest::addRow("blanks trimmed") << QByteArray("[ display ]\n \t imageNum \v=  3 \t\n") << "display"
                                        << "imageNum"
                                        << "3";
        QTest::addRow("name ends at first ]") << QByteArray("[a]b] junk\nk=v\n") << "a"
                                              << "k"
                                              << "v";
        QTest::addRow("[] is the empty name") << QByteArray("[]\nk=v\n") << ""
                                              << "k"
                                              << "v";
        QTest::addRow("split at first =") << QByteArray("[a]\nk=b=c\n") << "a"
                                          << "k"
                                          << "b=c";
        QTest::addRow("; inside a value") << QByteArray("[a]\nk=x ; y\n") << "a"
                                          << "k"
                                          << "x ; y";
        QTest::addRow("# is no comment") << QByteArray("[a]\n#k=v\n") << "a"
                                         << "#k"
                                         << "v";
        QTest::addRow("; line is a comment") << QByteArray("[a]\n ;k=v\n") << "a"
                                             << ";k"
                                             << "";
        QTest::addRow("text before sections") << QByteArray("k=v\n[a]\n") << ""
                                              << "k"
                                              << "";
        QTest::addRow("first duplicate key") << QByteArray("[a]\nk=1\nK=2\n") << "a"
                                             << "k"
                                             << "1";
        QTest::addRow("first section only") << QByteArray("[a]\nx=1\n[A]\nk=2\n") << "a"
                                            << "k"
                                            << "";
        QTest::addRow("ASCII case") << QByteArray("[Display]\nImageNum=3\n") << "DISPLAY"
                                    << "imagenum"
                                    << "3";
        QTest::addRow("Latin-1 case")
            << QByteArray("[\xc3\x89t\xc3\xa9]\n\xc3\x84nderung=1\n")
            << QString::fromUtf8("\xc3\xa9T\xc3\x89") << QString::fromUtf8("\xc3\xa4NDERUNG") << "1";
        QTest::addRow("double quotes") << QByteArray("[a]\nk= \"x \" \n") << "a"
                                       << "k"
                                       << "x ";
        QTest::addRow("unmatched quotes") << QByteArray("[a]\nk=\"x'\n") << "a"
                                          << "k"
                                          << "\"x'";
        QTest::addRow("one quote") << QByteArray("[a]\nk=\"\n") << "a"
                                   << "k"
                                   << "\"";
        QTest::addRow("lone CR lines") << QByteArray("[a]\rk=1\rj=2") << "a"
                                       << "j"
                                       << "2";
        QTest::addRow("byte-order mark") << QByteArray("\xef\xbb\xbf[a]\nk=v\n") << "a"
                                         << "k"
                                         << "v";
        QTest::addRow("Windows-1252") << QByteArray("[a]\nk=Caf\xe9 \x80\x93\n") << "a"
                                      << "k" << QString::fromUtf8("Caf\xc3\xa9 \xe2\x82\xac\xe2\x80\x9c");
        QTest::addRow("300 characters") << QByteArray("[a]\nk=" + QByteArray(300, 'x') + "\n") << "a"
                                        << "k" << QString(300, QLatin1Char('x'));
    }

    void readsLikeTheProfileFunctions()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        TempAppFolder folder;
        folder.writeSettings(file);
        SettingsFile settings(folder.settingsPath(), PosixFileSystem::instance());
        QCOMPARE(settings.read(section, key), expected);
    }

    void filesOfAnySizeReadWhole_data()
    {
        QTest::addColumn<int>("size");
        // around the first read's buffer, and past the size from which it is made present at once
        for (int size : {20, 4095, 4096, 4097, 65535, 65536, 65537, 300000})
            QTest::addRow("%d bytes", size) << size;
    }

    void filesOfAnySizeReadWhole()
    {
        QFETCH(int, size);
        const QByteArray head("[a]\nfill=");
        const QByteArray tail("\nlast=end");
        QByteArray file = head + QByteArray(size - head.size() - tail.size(), 'x') + tail;
        QCOMPARE(file.size(), size);
        TempAppFolder folder;
        folder.writeSettings(file);
        SettingsFile settings(folder.settingsPath(), PosixFileSystem::instance());
        QCOMPARE(settings.read("a", "last"), "end");
        QCOMPARE(settings.read("a", "fill").size(), size - head.size() - tail.size());
    }

    void contentLongerThanItsSizeReadWhole()
    {
        // A pipe reports no size, as a file still being written may report too little.
        std::signal(SIGPIPE, SIG_IGN); // a reader that stops early fails the comparison instead
        TempAppFolder folder;
        const QString path = folder.settingsPath() + ".fifo";
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        const QByteArray sent(100000, 'p');
        std::thread writer([&] {
            QFile pipe(path);
            if (pipe.open(QIODevice::WriteOnly))
                pipe.write(sent);
        });
        QByteArray received;
        const int error = PosixFileSystem::instance().readFile(path, &received);
        writer.join();
        QCOMPARE(error, 0);
        QCOMPARE(received, sent);
    }

    void listsReadAsTheirKeys_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArrayList>("expected");

        QTest::addRow("as saved") << QByteArray("[images]\n0=a\n1=b\n2=c\n") << QByteArrayList{"a", "b", "c"};
        QTest::addRow("missing keys") << QByteArray("[images]\n0=a\n2=c\n") << QByteArrayList{"a", "", "c"};
        QTest::addRow("comment between")
            << QByteArray("[images]\n0=a\n; note\n\n1=b\n2=c\n") << QByteArrayList{"a", "b", "c"};
        QTest::addRow("out of order")
            << QByteArray("[images]\n2=c\n0=a\n1=b\n") << QByteArrayList{"a", "b", "c"};
        QTest::addRow("first duplicate")
            << QByteArray("[images]\n0=a\n1=b\n1=x\n2=c\n0=y\n") << QByteArrayList{"a", "b", "c"};
        QTest::addRow("other names") << QByteArray("[images]\n0=a\n00=x\n01=y\n+1=z\n 1 =b\nkey=v\n2=c\n")
                                     << QByteArrayList{"a", "b", "c"};
        QTest::addRow("first section only")
            << QByteArray("[images]\n0=a\n1=b\n[IMAGES]\n2=c\n") << QByteArrayList{"a", "b", ""};
        QTest::addRow("no section") << QByteArray("[caption]\n0=a\n") << QByteArrayList{"", "", ""};
    }

    void listsReadAsTheirKeys()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArrayList, expected);
        TempAppFolder folder;
        folder.writeSettings(file);
        SettingsFile settings(folder.settingsPath(), PosixFileSystem::instance());
        QCOMPARE(settings.readList("images", int(expected.size())).values, expected);
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(settings.read("Images", QString::number(i)), QString::fromUtf8(expected[i]));
        // A key that is no list position, written afterwards, is found beside the list.
        QVERIFY(settings.write("images", "extra", "e"));
        QCOMPARE(settings.read("images", "EXTRA"), "e");
        QCOMPARE(settings.readList("images", int(expected.size())).values, expected);
    }

    void unsafeListValuesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("problem");
        QTest::addRow("line break") << QByteArray("two\nlines") << "line break";
        QTest::addRow("carriage return") << QByteArray("two\rlines") << "line break";
        QTest::addRow("not UTF-8") << QByteArray("Caf\xe9") << "not UTF-8";
    }

    void unsafeListValuesAreRefused()
    {
        QFETCH(QByteArray, value);
        QFETCH(QString, problem);
        OneEntryFile file;
        QVERIFY(!file.settings.apply({IniEdit::writeList("images", {"fine", value})}));
        QVERIFY(file.settings.errorString().contains("[images] 1"));
        QVERIFY(file.settings.errorString().contains(problem));
        QVERIFY(file.isUnchanged());
    }

    void writeChangesOnlyItsLines_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QByteArray>("expected");

        const QByteArray windowsFile =
            "junk before = sections\r\n; Tessaly\r\n[Display]\r\n  ImageNum = 3 \r\n"
            "no equals sign\r\n  ;  spaced comment \r\n\r\n[font]\r\nnewFontName=Arial\r\n";
        QTest::addRow("replace keeps spelling")
            << windowsFile << QByteArray("w\tdisplay\timagenum\t4")
            << QByteArray(windowsFile).replace("ImageNum = 3 ", "ImageNum =4");
        QTest::addRow("new key before trailing lines")
            << windowsFile << QByteArray("w\tdisplay\tdisplayType\t1")
            << QByteArray(windowsFile).replace("3 \r\n", "3 \r\ndisplayType=1\r\n");
        QTest::addRow("new section at end, CRLF")
            << windowsFile << QByteArray("w\ttime\ttimeMin\t5") << windowsFile + "[time]\r\ntimeMin=5\r\n";
        QTest::addRow("keys in order written")
            << QByteArray("[a]\nk=1\n; c\n\n") << QByteArray("w\ta\tx\t1\nw\ta\ty\t2")
            << QByteArray("[a]\nk=1\nx=1\ny=2\n; c\n\n");
        QTest::addRow("section without keys") << QByteArray("[a]\n; c\n[b]\n") << QByteArray("w\ta\tk\tv")
                                              << QByteArray("[a]\nk=v\n; c\n[b]\n");
        QTest::addRow("no final line end")
            << QByteArray("[a]\nk=1") << QByteArray("w\tb\tn\t2") << QByteArray("[a]\nk=1\n[b]\nn=2\n");
        QTest::addRow("key after unended line")
            << QByteArray("[a]\nk=1") << QByteArray("w\ta\tn\t2") << QByteArray("[a]\nk=1\nn=2\n");
        QTest::addRow("lone CR file") << QByteArray("[a]\rk=1\r") << QByteArray("w\ta\tn\t2\nw\tb\tm\t3")
                                      << QByteArray("[a]\rk=1\rn=2\r[b]\rm=3\r");
        QTest::addRow("new file") << QByteArray() << QByteArray("w\ttotal\ttotal\t2")
                                  << QByteArray("[total]\ntotal=2\n");
        QTest::addRow("first duplicate written")
            << QByteArray("[a]\nk=1\nK=2\n[A]\nk=3\n") << QByteArray("w\tA\tK\t9\nw\ta\tnew\t1")
            << QByteArray("[a]\nk=9\nK=2\nnew=1\n[A]\nk=3\n");
        // Windows-1252 lines become UTF-8; one of them must not turn the UTF-8 lines beside it into mojibake.
        QTest::addRow("Windows-1252 lines become UTF-8, UTF-8 lines stay")
            << QByteArray("[a]\r\nk=Caf\xe9\r\nu=\xc3\xa9t\xc3\xa9 \xe2\x82\xac\r\n; \x80 note\r\n")
            << QByteArray("w\ta\tn\t1")
            << QByteArray("[a]\r\nk=Caf\xc3\xa9\r\nu=\xc3\xa9t\xc3\xa9 \xe2\x82\xac\r\nn=1\r\n; \xe2\x82\xac "
                          "note\r\n");
        QTest::addRow("remove every section of a name")
            << QByteArray("[a]\nk=1\n; c\nj=2\n[b]\nx=1\n[A]\nm=3\n\n") << QByteArray("r\ta")
            << QByteArray("; c\n[b]\nx=1\n\n");
        QTest::addRow("remove keeps text before sections")
            << QByteArray("head\n[a]\nk=1\n[b]\n") << QByteArray("r\ta") << QByteArray("head\n[b]\n");
        QTest::addRow("remove then rewrite moves to end")
            << QByteArray("[images]\n0=a\n[caption]\n0=c\n") << QByteArray("r\timages\nw\timages\t0\tb")
            << QByteArray("[caption]\n0=c\n[images]\n0=b\n");
        QTest::addRow("lone CR and empty line join")
            << QByteArray("x\r[b]\n\n") << QByteArray("r\tb\nw\tc\tk\tv")
            << QByteArray("x\r\n[c]\r\nk=v\r\n");
        QTest::addRow("lone CR key meets empty line")
            << QByteArray("x\r[a]\nk=1\n\n") << QByteArray("w\ta\tn\t2\nw\ta\tm\t3")
            << QByteArray("x\r[a]\nk=1\nn=2\r\nm=3\r");
        QTest::addRow("list over a list with a comment")
            << QByteArray("[images]\r\n0=a\r\n; note\r\n1=b\r\n[next]\r\n")
            << QByteArray("l\timages\tA\tb\tc\nw\timages\tk\tv")
            << QByteArray("[images]\r\n0=A\r\n; note\r\n1=b\r\n2=c\r\nk=v\r\n[next]\r\n");
        QTest::addRow("list after removal")
            << QByteArray("[images]\n0=a\n[b]\nk=1\n") << QByteArray("r\timages\nl\timages\tx\t y\nl\tempty")
            << QByteArray("[b]\nk=1\n[images]\n0=x\n1=\" y\"\n");
        QTest::addRow("outer blanks quoted")
            << QByteArray("[a]\n") << QByteArray("w\ta\tk\t lead\nw\ta\tj\ttab\t")
            << QByteArray("[a]\nk=\" lead\"\nj=\"tab\t\"\n");
        QTest::addRow("outer quotes quoted")
            << QByteArray("[a]\n") << QByteArray("w\ta\tk\t'q'\nw\ta\tj\t\"q")
            << QByteArray("[a]\nk=\"'q'\"\nj=\"q\n");
    }

    void writeChangesOnlyItsLines()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, script);
        QFETCH(QByteArray, expected);
        TempAppFolder folder;
        if (!file.isEmpty())
            folder.writeSettings(file);
        SettingsFile settings(folder.settingsPath(), PosixFileSystem::instance());
        QVERIFY2(settings.apply(IniEditScript::parse(script)), qPrintable(settings.errorString()));
        QCOMPARE(folder.readSettings(), expected);
    }

    void valuesReadBackExactly_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addRow("empty") << "";
        QTest::addRow("leading blank") << " C:\\Pictures\\a.jpg";
        QTest::addRow("only blanks") << "   ";
        QTest::addRow("double-quoted") << "\"Holiday\"";
        QTest::addRow("single-quoted") << "'Holiday'";
        QTest::addRow("quote pair alone") << "\"\"";
        QTest::addRow("inner quotes") << "say \"hi\" now";
        QTest::addRow("backslashes and commas") << "C:\\a\\b, c.jpg";
        QTest::addRow("semicolon and equals") << "a;b=c";
        QTest::addRow("300 characters") << QString(300, QLatin1Char('p'));
        QTest::addRow("non-Latin") << QString::fromUtf8("\xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x8c\x84");
        QTest::addRow("byte-order mark first") << QString(QChar(0xFEFF)) + "[x]";
        QTest::addRow("two byte-order marks") << QString(2, QChar(0xFEFF)) + "x";
    }

    void valuesReadBackExactly()
    {
        QFETCH(QString, value);
        TempAppFolder folder;
        QVERIFY(SettingsFile(folder.settingsPath(), PosixFileSystem::instance())
                    .write(QStringLiteral("caption"), QStringLiteral("0"), value));
        QCOMPARE(SettingsFile(folder.settingsPath(), PosixFileSystem::instance())
                     .read(QStringLiteral("caption"), QStringLiteral("0")),
                 value);
    }

    void unsafeNamesAndValuesAreRefused_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addRow("LF in value") << "images"
                                     << "0"
                                     << "a.jpg\n[total]\ntotal=0";
        QTest::addRow("CR in value") << "images"
                                     << "0"
                                     << "a\rb";
        QTest::addRow("line break in key") << "images"
                                           << "0\nx"
                                           << "a";
        QTest::addRow("line break in section") << "ima\r\nges"
                                               << "0"
                                               << "a";
        QTest::addRow("] in section") << "a]b"
                                      << "0"
                                      << "a";
        QTest::addRow("= in key") << "images"
                                  << "a=b"
                                  << "c";
        QTest::addRow("key reads as a section") << "images"
                                                << " [total"
                                                << "c";
        QTest::addRow("key reads as a comment") << "images"
                                                << ";k"
                                                << "c";
    }

    void unsafeNamesAndValuesAreRefused()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        OneEntryFile file;
        QVERIFY(!file.settings.write(section, key, value));
        QVERIFY(file.settings.errorString().contains(file.folder.settingsPath()));
        QVERIFY(!file.settings.apply(
            {IniEdit::write("images", "1", "fine"), IniEdit::write(section, key, value)}));
        QVERIFY(file.isUnchanged());
    }
};

QTEST_GUILESS_MAIN(tst_SettingsFileFormat)
#include "tst_SettingsFileFormat.moc"
