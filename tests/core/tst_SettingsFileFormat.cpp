// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniEditScript.h"
#include "TempAppFolder.h"
#include "core/IniEncoding.h"
#include "core/SettingsFile.h"
#include "platform/PosixFileSystem.h"

#include <QTest>

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
        const auto row = [](const char* name, const QByteArray& file, const char* section, const char* key,
                            const QString& expected) {
            QTest::addRow("%s", name)
                << file << QString::fromUtf8(section) << QString::fromUtf8(key) << expected;
        };
        row("blanks trimmed", "[ display ]\n \t imageNum \v=  3 \t\n", "display", "imageNum", "3");
        row("name ends at first ]", "[a]b] junk\nk=v\n", "a", "k", "v");
        row("[] is the empty name", "[]\nk=v\n", "", "k", "v");
        row("split at first =", "[a]\nk=b=c\n", "a", "k", "b=c");
        row("; inside a value", "[a]\nk=x ; y\n", "a", "k", "x ; y");
        row("# is no comment", "[a]\n#k=v\n", "a", "#k", "v");
        row("; line is a comment", "[a]\n ;k=v\n", "a", ";k", "");
        row("text before sections", "k=v\n[a]\n", "", "k", "");
        row("first duplicate key", "[a]\nk=1\nK=2\n", "a", "k", "1");
        row("first section only", "[a]\nx=1\n[A]\nk=2\n", "a", "k", "");
        row("ASCII case", "[Display]\nImageNum=3\n", "DISPLAY", "imagenum", "3");
        row("Latin-1 case", "[\xc3\x89t\xc3\xa9]\n\xc3\x84nderung=1\n", "\xc3\xa9T\xc3\x89",
            "\xc3\xa4NDERUNG", "1");
        row("double quotes", "[a]\nk= \"x \" \n", "a", "k", "x ");
        row("unmatched quotes", "[a]\nk=\"x'\n", "a", "k", "\"x'");
        row("one quote", "[a]\nk=\"\n", "a", "k", "\"");
        row("lone CR lines", "[a]\rk=1\rj=2", "a", "j", "2");
        row("byte-order mark", "\xef\xbb\xbf[a]\nk=v\n", "a", "k", "v");
        row("Windows-1252", "[a]\nk=Caf\xe9 \x80\x93\n", "a", "k", QStringLiteral("Café €“"));
        // An overlong form is no UTF-8: the line is Windows-1252.
        row("overlong UTF-8", "[a]\nk=\xe0\x80\xaf\n", "a", "k", QStringLiteral("\u00E0\u20AC\u00AF"));
        row("300 characters", "[a]\nk=" + QByteArray(300, 'x') + "\n", "a", "k",
            QString(300, QLatin1Char('x')));
    }
    void readsLikeTheProfileFunctions()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        TempAppFolder folder;
        folder.writeSettings(file);
        QCOMPARE(SettingsFile(folder.settingsPath(), PosixFileSystem::instance()).read(section, key),
                 expected);
    }

    void windows1252BecomesUtf8_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        // From the Windows-1252 code page: 0x80-0x9F are not Latin-1; 0x81 0x8D 0x8F 0x90 0x9D are
        // unassigned.
        QTest::addRow("euro sign, 3 bytes") << QByteArray("\x80") << QStringLiteral("\u20AC");
        QTest::addRow("quotes and dash")
            << QByteArray("\x93\x94\x96") << QStringLiteral("\u201C\u201D\u2013");
        QTest::addRow("S caron, 2 bytes") << QByteArray("\x8a") << QStringLiteral("\u0160");
        QTest::addRow("Y diaeresis at 0x9F") << QByteArray("\x9f") << QStringLiteral("\u0178");
        QTest::addRow("unassigned kept") << QByteArray("\x81\x9d") << QStringLiteral("\u0081\u009D");
        QTest::addRow("e acute") << QByteArray("Caf\xe9") << QStringLiteral("Caf\u00E9");
        QTest::addRow("non-breaking space and y diaeresis")
            << QByteArray("\xa0\xff") << QStringLiteral("\u00A0\u00FF");
    }
    void windows1252BecomesUtf8()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QCOMPARE(IniEncoding::utf8FromWindows1252(bytes), expected.toUtf8());
    }

    void filesOfAnySizeReadWhole_data()
    {
        QTest::addColumn<int>("size");
        // around the first read's buffer, and past the size from which it is made present at once
        for (int size : {20, 4096, 4097, 65536, 65537, 300000})
            QTest::addRow("%d bytes", size) << size;
    }
    void filesOfAnySizeReadWhole()
    {
        QFETCH(int, size);
        const QByteArray head("[a]\nfill=");
        const QByteArray tail("\nlast=end");
        TempAppFolder folder;
        folder.writeSettings(head + QByteArray(size - head.size() - tail.size(), 'x') + tail);
        SettingsFile settings(folder.settingsPath(), PosixFileSystem::instance());
        QCOMPARE(settings.read("a", "last"), "end");
        QCOMPARE(settings.read("a", "fill").size(), size - head.size() - tail.size());
    }

    void listsReadAsTheirKeys_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArrayList>("expected");
        const QByteArrayList abc{"a", "b", "c"};
        QTest::addRow("as saved") << QByteArray("[images]\n0=a\n1=b\n2=c\n") << abc;
        QTest::addRow("missing keys") << QByteArray("[images]\n0=a\n2=c\n") << QByteArrayList{"a", "", "c"};
        QTest::addRow("comment between") << QByteArray("[images]\n0=a\n; note\n\n1=b\n2=c\n") << abc;
        QTest::addRow("out of order") << QByteArray("[images]\n2=c\n0=a\n1=b\n") << abc;
        QTest::addRow("first duplicate") << QByteArray("[images]\n0=a\n1=b\n1=x\n2=c\n0=y\n") << abc;
        QTest::addRow("other names") << QByteArray("[images]\n0=a\n00=x\n01=y\n+1=z\n 1 =b\nkey=v\n2=c\n")
                                     << abc;
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

    void writeChangesOnlyItsLines_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QByteArray>("expected");
        const auto row = [](const char* name, const QByteArray& file, const QByteArray& script,
                            const QByteArray& expected) {
            QTest::addRow("%s", name) << file << script << expected;
        };
        const QByteArray windowsFile =
            "junk before = sections\r\n; Tessaly\r\n[Display]\r\n  ImageNum = 3 \r\n"
            "no equals sign\r\n  ;  spaced comment \r\n\r\n[font]\r\nnewFontName=Arial\r\n";
        row("replace keeps spelling", windowsFile, "w\tdisplay\timagenum\t4",
            QByteArray(windowsFile).replace("ImageNum = 3 ", "ImageNum =4"));
        row("new key before trailing lines", windowsFile, "w\tdisplay\tdisplayType\t1",
            QByteArray(windowsFile).replace("3 \r\n", "3 \r\ndisplayType=1\r\n"));
        row("new section at end, CRLF", windowsFile, "w\ttime\ttimeMin\t5",
            windowsFile + "[time]\r\ntimeMin=5\r\n");
        row("keys in order written", "[a]\nk=1\n; c\n\n", "w\ta\tx\t1\nw\ta\ty\t2",
            "[a]\nk=1\nx=1\ny=2\n; c\n\n");
        row("section without keys", "[a]\n; c\n[b]\n", "w\ta\tk\tv", "[a]\nk=v\n; c\n[b]\n");
        row("no final line end", "[a]\nk=1", "w\tb\tn\t2", "[a]\nk=1\n[b]\nn=2\n");
        row("key after unended line", "[a]\nk=1", "w\ta\tn\t2", "[a]\nk=1\nn=2\n");
        row("lone CR file", "[a]\rk=1\r", "w\ta\tn\t2\nw\tb\tm\t3", "[a]\rk=1\rn=2\r[b]\rm=3\r");
        row("new file", "", "w\ttotal\ttotal\t2", "[total]\ntotal=2\n");
        row("first duplicate written", "[a]\nk=1\nK=2\n[A]\nk=3\n", "w\tA\tK\t9\nw\ta\tnew\t1",
            "[a]\nk=9\nK=2\nnew=1\n[A]\nk=3\n");
        // Windows-1252 lines become UTF-8; one of them must not turn the UTF-8 lines beside it into mojibake.
        row("Windows-1252 lines become UTF-8, UTF-8 lines stay",
            "[a]\r\nk=Caf\xe9\r\nu=\xc3\xa9t\xc3\xa9 \xe2\x82\xac\r\n; \x80 note\r\n", "w\ta\tn\t1",
            "[a]\r\nk=Caf\xc3\xa9\r\nu=\xc3\xa9t\xc3\xa9 \xe2\x82\xac\r\nn=1\r\n; \xe2\x82\xac note\r\n");
        row("remove every section of a name", "[a]\nk=1\n; c\nj=2\n[b]\nx=1\n[A]\nm=3\n\n", "r\ta",
            "; c\n[b]\nx=1\n\n");
        row("remove keeps text before sections", "head\n[a]\nk=1\n[b]\n", "r\ta", "head\n[b]\n");
        row("remove then rewrite moves to end", "[images]\n0=a\n[caption]\n0=c\n",
            "r\timages\nw\timages\t0\tb", "[caption]\n0=c\n[images]\n0=b\n");
        row("lone CR and empty line join", "x\r[b]\n\n", "r\tb\nw\tc\tk\tv", "x\r\n[c]\r\nk=v\r\n");
        row("lone CR key meets empty line", "x\r[a]\nk=1\n\n", "w\ta\tn\t2\nw\ta\tm\t3",
            "x\r[a]\nk=1\nn=2\r\nm=3\r");
        row("list over a list with a comment", "[images]\r\n0=a\r\n; note\r\n1=b\r\n[next]\r\n",
            "l\timages\tA\tb\tc\nw\timages\tk\tv",
            "[images]\r\n0=A\r\n; note\r\n1=b\r\n2=c\r\nk=v\r\n[next]\r\n");
        row("list after removal", "[images]\n0=a\n[b]\nk=1\n", "r\timages\nl\timages\tx\t y\nl\tempty",
            "[b]\nk=1\n[images]\n0=x\n1=\" y\"\n");
        row("outer blanks quoted", "[a]\n", "w\ta\tk\t lead\nw\ta\tj\ttab\t",
            "[a]\nk=\" lead\"\nj=\"tab\t\"\n");
        row("outer quotes quoted", "[a]\n", "w\ta\tk\t'q'\nw\ta\tj\t\"q", "[a]\nk=\"'q'\"\nj=\"q\n");
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

    void unsafeNamesAndValuesAreRefused_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key"); // empty: as the second value of a list
        QTest::addColumn<QByteArray>("value");
        const auto row = [](const char* name, const char* section, const char* key, const QByteArray& value) {
            QTest::addRow("%s", name) << QString::fromUtf8(section) << QString::fromUtf8(key) << value;
        };
        row("LF in value", "images", "0", "a.jpg\n[total]\ntotal=0");
        row("CR in value", "images", "0", "a\rb");
        row("line break in key", "images", "0\nx", "a");
        row("line break in section", "ima\r\nges", "0", "a");
        row("] in section", "a]b", "0", "a");
        row("= in key", "images", "a=b", "c");
        row("key reads as a section", "images", " [total", "c");
        row("key reads as a comment", "images", ";k", "c");
        row("list: line break", "images", "", "two\nlines");
        row("list: carriage return", "images", "", "two\rlines");
        row("list: not UTF-8", "images", "", "Caf\xe9");
    }
    void unsafeNamesAndValuesAreRefused()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QByteArray, value);
        TempAppFolder folder;
        const QByteArray before("[images]\n0=old\n");
        folder.writeSettings(before);
        SettingsFile settings(folder.settingsPath(), PosixFileSystem::instance());
        if (key.isEmpty()) {
            QVERIFY(!settings.apply({IniEdit::writeList(section, {"fine", value})}));
            QVERIFY2(settings.errorString().contains("[images] 1"), qPrintable(settings.errorString()));
        } else {
            QVERIFY(!settings.write(section, key, QString::fromUtf8(value)));
            QVERIFY(!settings.apply({IniEdit::write("images", "1", "fine"),
                                     IniEdit::write(section, key, QString::fromUtf8(value))}));
        }
        QVERIFY2(settings.errorString().contains(folder.settingsPath()), qPrintable(settings.errorString()));
        QCOMPARE(folder.readSettings(), before);
    }
};

QTEST_GUILESS_MAIN(tst_SettingsFileFormat)
#include "tst_SettingsFileFormat.moc"
