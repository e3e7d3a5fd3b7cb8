// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopHarness.h"
#include "platform/desktop/DesktopBackendFactory.h"
#include "platform/desktop/FreshBitmapCopy.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <cstdio>

// The back ends that hand the picture to a program, made by name through the factory: the real gsettings on
// a keyfile store, stand-ins for pcmanfm-qt, pcmanfm, swaymsg and the user's command. Every program on PATH
// logs its arguments, each one whole, one call a line.
class tst_DesktopBackends : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void detectsTheSession_data();
    void detectsTheSession();
    void handsStyleThenFreshFile_data();
    void handsStyleThenFreshFile();
    void failuresAreReported_data();
    void failuresAreReported();
    void everyChangeGetsANameNeverHandedBefore_data();
    void everyChangeGetsANameNeverHandedBefore();

private:
    QStringList calls() const;

    QTemporaryDir m_dir;
    QString m_log;
};

void tst_DesktopBackends::initTestCase()
{
    const QString gsettings = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
    QVERIFY(!gsettings.isEmpty());
    m_log = m_dir.filePath(QStringLiteral("calls.log"));
    const QString bin = m_dir.filePath(QStringLiteral("tools with space"));
    QVERIFY(QDir().mkpath(bin) && QDir().mkpath(m_dir.filePath(QStringLiteral("run"))));
    const QByteArray log =
        "printf '%s|' \"$(basename \"$0\")\" \"$@\" >> \"$CALL_LOG\"; echo >> \"$CALL_LOG\"\n";
    QVERIFY(
        DesktopHarness::writeScript(bin + "/gsettings", log + "exec '" + gsettings.toUtf8() + "' \"$@\"\n"));
    for (const char* tool : {"set wallpaper", "pcmanfm-qt", "pcmanfm", "swaymsg"})
        QVERIFY(DesktopHarness::writeScript(
            bin + '/' + tool, log + "[ -z \"$FAIL_WITH\" ] || { echo $FAIL_WITH >&2; exit 3; }\n"));
    qputenv("PATH", (bin + ':' + qEnvironmentVariable("PATH")).toLocal8Bit());
    qputenv("CALL_LOG", m_log.toLocal8Bit());
    qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toLocal8Bit());
    qunsetenv("XDG_DATA_DIRS");
    // sway's command parser must only ever see plain paths: its copies go to the runtime folder.
    QVERIFY(QFile::setPermissions(m_dir.filePath(QStringLiteral("run")),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    qputenv("XDG_RUNTIME_DIR", m_dir.filePath(QStringLiteral("run")).toLocal8Bit());
    QVERIFY(QDir::setCurrent(m_dir.path())); // anything a file name managed to run leaves its mark here
}

void tst_DesktopBackends::init()
{
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QString::fromUtf8(QTest::currentDataTag())).toLocal8Bit());
    qputenv("GSETTINGS_BACKEND", "keyfile");
    qunsetenv("FAIL_WITH");
    QFile::remove(m_log);
}

QStringList tst_DesktopBackends::calls() const
{
    QFile file(m_log);
    QStringList calls;
    if (!file.open(QIODevice::ReadOnly))
        return calls;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)) {
        // gsettings: the keys set, in order (the values are read back from the store).
        if (!line.startsWith("gsettings|"))
            calls.append(line.chopped(1));
        else if (line.startsWith("gsettings|set|"))
            calls.append(line.section('|', 2, 3));
    }
    return calls;
}

void tst_DesktopBackends::detectsTheSession_data()
{
    QTest::addColumn<QStringList>("variables");
    QTest::addColumn<QString>("expected");
    QTest::addRow("Ubuntu, first token") << QStringList{"XDG_CURRENT_DESKTOP=ubuntu:GNOME"} << "gnome";
    QTest::addRow("unknown token then known") << QStringList{"XDG_CURRENT_DESKTOP=Foo:XFCE"} << "xfce";
    QTest::addRow("Cinnamon") << QStringList{"XDG_CURRENT_DESKTOP=X-Cinnamon"} << "cinnamon";
    QTest::addRow("KDE on Wayland") << QStringList{"XDG_CURRENT_DESKTOP=KDE", "WAYLAND_DISPLAY=w-0"} << "kde";
    QTest::addRow("Raspberry Pi LXDE") << QStringList{"DESKTOP_SESSION=LXDE-pi"} << "lxde";
    QTest::addRow("current desktop wins")
        << QStringList{"XDG_CURRENT_DESKTOP=MATE", "DESKTOP_SESSION=gnome"} << "mate";
    QTest::addRow("KDE marker") << QStringList{"KDE_FULL_SESSION=true", "DISPLAY=:0"} << "kde";
    QTest::addRow("sway socket") << QStringList{"SWAYSOCK=/run/sway.sock", "DISPLAY=:0"} << "sway";
    QTest::addRow("plain X11, i3") << QStringList{"XDG_CURRENT_DESKTOP=i3", "DISPLAY=:0"} << "x11";
    QTest::addRow("empty values") << QStringList{"XDG_CURRENT_DESKTOP=", "DISPLAY="} << "none";
}

void tst_DesktopBackends::detectsTheSession()
{
    QFETCH(QStringList, variables);
    QFETCH(QString, expected);
    QProcessEnvironment environment;
    for (const QString& variable : variables)
        environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
    QCOMPARE(DesktopBackendFactory::detect(environment), expected);
    // The settings file names it in any letter case, with blanks; "auto" asks the session.
    QCOMPARE(DesktopBackendFactory::create(" " + expected.toUpper(), {}, environment)->name(), expected);
    QCOMPARE(DesktopBackendFactory::create(QStringLiteral("auto"), {}, environment)->name(), expected);
}

void tst_DesktopBackends::handsStyleThenFreshFile_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("expectedCalls");  // %F: the fresh copy; %B: the bitmap; %P: the plain copy
    QTest::addColumn<QString>("expectedStored"); // schema key value; %U: the fresh copy's URL

    const QString gnome = QStringLiteral("org.gnome.desktop.background|picture-");
    const QString cinnamon = QStringLiteral("org.cinnamon.desktop.background|picture-");
    const QString mate = QStringLiteral("org.mate.background|picture-");
    QTest::addRow("GNOME Center") << "gnome"
                                  << "Center" << gnome + "options\n" + gnome + "uri\n" + gnome + "uri-dark"
                                  << gnome + "options|centered\n" + gnome + "uri|%U\n" + gnome +
                                         "uri-dark|%U";
    QTest::addRow("Cinnamon Tile") << "cinnamon"
                                   << "Tile" << cinnamon + "options\n" + cinnamon + "uri"
                                   << cinnamon + "options|wallpaper\n" + cinnamon + "uri|%U";
    QTest::addRow("MATE Stretch") << "mate"
                                  << "Stretch" << mate + "options\n" + mate + "filename"
                                  << mate + "options|stretched\n" + mate + "filename|%F";
    QTest::addRow("LXQt Stretch") << "lxqt"
                                  << "Stretch"
                                  << "pcmanfm-qt|--wallpaper-mode=stretch|--set-wallpaper=%F"
                                  << "";
    QTest::addRow("LXDE Tile") << "lxde"
                               << "Tile"
                               << "pcmanfm|--wallpaper-mode=tile|--set-wallpaper=%F"
                               << "";
    QTest::addRow("sway Center") << "sway"
                                 << "Center"
                                 << "swaymsg|--|output|*|bg|%P|center|#000000"
                                 << "";
    QTest::addRow("own command") << "command"
                                 << "Tile"
                                 << "set wallpaper|--quiet|two words|%B|Tile"
                                 << "";
}

void tst_DesktopBackends::handsStyleThenFreshFile()
{
    QFETCH(QString, backend);
    QFETCH(QString, style);
    QFETCH(QString, expectedCalls);
    QFETCH(QString, expectedStored);

    // The application folder may sit anywhere; its path must reach the desktop exactly, and run nothing.
    const QString bitmap = DesktopHarness::writeBitmap(
        m_dir.filePath(DesktopHarness::hostileName() + '/' + QTest::currentDataTag() + "/tessaly.bmp"),
        QImage(8, 6, QImage::Format_RGB32));
    const QString fresh = QFileInfo(bitmap).absolutePath() + "/tessaly-1.bmp";
    const QString command =
        '"' + m_dir.filePath("tools with space/set wallpaper") + "\" --quiet \"two words\"";
    const ApplyResult result = DesktopBackendFactory::create(backend, command, {})->apply(bitmap, style);
    QVERIFY2(result.ok, qPrintable(result.reason));
    expectedCalls.replace("%F", fresh)
        .replace("%B", bitmap)
        .replace("%P", m_dir.filePath("run/tessaly/tessaly-1.bmp"));
    QCOMPARE(calls(), expectedCalls.split('\n'));
    for (const QString& row : expectedStored.split('\n', Qt::SkipEmptyParts)) {
        // gsettings prints a string in single quotes, or in double quotes when it holds one.
        const QString printed =
            DesktopHarness::run("gsettings", {"get", row.section('|', 0, 0), row.section('|', 1, 1)});
        QString seen = printed.mid(1, printed.size() - 2)
                           .replace("\\\"", "\"")
                           .replace("\\'", "'")
                           .replace("\\\\", "\\");
        QCOMPARE(seen.startsWith("file:") ? QUrl(seen).toLocalFile() : seen,
                 row.section('|', 2) == "%U" ? fresh : row.section('|', 2).replace("%F", fresh));
    }
    QVERIFY(!QFile::exists(m_dir.filePath("pwned")) && !QFile::exists(m_dir.filePath("pwned2")));
}

void tst_DesktopBackends::failuresAreReported_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("reason"); // its start

    // gsettings exits 0 when its write never reached a store (dconf without a bus): only reading back tells.
    QTest::addRow("value not kept")
        << "mate"
        << ""
        << "MATE: org.mate.background picture-options did not keep the value written";
    QTest::addRow("pcmanfm-qt fails") << "lxqt"
                                      << ""
                                      << "LXQt: pcmanfm-qt failed with exit code 3: no monitor X";
    QTest::addRow("swaymsg fails") << "sway"
                                   << ""
                                   << "sway: swaymsg failed with exit code 3: no monitor X";
    QTest::addRow("command fails") << "command"
                                   << "\"set wallpaper\""
                                   << "desktop command: set wallpaper failed with exit code 3: no monitor X";
    QTest::addRow("no such program") << "command"
                                     << "/nonexistent/setter"
                                     << "desktop command: /nonexistent/setter could not be started";
}

void tst_DesktopBackends::failuresAreReported()
{
    QFETCH(QString, backend);
    QFETCH(QString, command);
    QFETCH(QString, reason);
    qputenv("GSETTINGS_BACKEND", "memory");
    qputenv("FAIL_WITH", "no monitor X");
    const QString bitmap = DesktopHarness::writeBitmap(
        m_dir.filePath(QTest::currentDataTag() + QString("/t.bmp")), QImage(8, 6, QImage::Format_RGB32));
    QString style = QStringLiteral("Center");
    const ApplyResult result = DesktopBackendFactory::create(backend, command, {})->apply(bitmap, style);
    QVERIFY(!result.ok);
    QVERIFY2(result.reason.startsWith(reason), qPrintable(result.reason));
}

void tst_DesktopBackends::everyChangeGetsANameNeverHandedBefore_data()
{
    QTest::addColumn<QStringList>("before"); // copies on disk when the change starts
    QTest::addColumn<bool>("applied");
    QTest::addColumn<QString>("handed");
    QTest::addColumn<QStringList>("after");
    QTest::addRow("next change") << QStringList{"t-9.bmp"} << true << "t-10.bmp" << QStringList{"t-10.bmp"};
    QTest::addRow("refused: both kept")
        << QStringList{"t-4.bmp"} << false << "t-5.bmp" << QStringList{"t-4.bmp", "t-5.bmp"};
    QTest::addRow("leftovers of killed runs")
        << QStringList{"t-12.bmp", "t-2.bmp", "t-7.bmp", "t-x.bmp"} << false << "t-13.bmp"
        << QStringList{"t-13.bmp", "t-2.bmp", "t-x.bmp"};
}

void tst_DesktopBackends::everyChangeGetsANameNeverHandedBefore()
{
    QFETCH(QStringList, before);
    QFETCH(bool, applied);
    QFETCH(QString, handed);
    QFETCH(QStringList, after);
    QTemporaryDir dir;
    const QString bitmap = dir.filePath(QStringLiteral("t.bmp"));
    // As the program saves it: a new file renamed over the old one.
    const auto save = [&](QRgb colour) {
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(colour);
        const QString next = DesktopHarness::writeBitmap(dir.filePath(QStringLiteral("next")), image);
        return std::rename(QFile::encodeName(next), QFile::encodeName(bitmap)) == 0;
    };
    for (const QString& name : before)
        QVERIFY(save(0) && QFile::rename(bitmap, dir.filePath(name)));
    QVERIFY(save(qRgb(90, 0, 0)));
    FreshBitmapCopy copies; // a new one: what it knows must come from the files
    QString error;
    const QString fresh = copies.prepare(bitmap, error);
    QCOMPARE(fresh, dir.filePath(handed));
    copies.finish(applied);
    QVERIFY(save(qRgb(0, 90, 0)));
    QCOMPARE(QImage(fresh).pixel(0, 0), qRgb(90, 0, 0)); // this change's picture, not a later one
    QCOMPARE(QDir(dir.path()).entryList({"t-*"}, QDir::Files, QDir::Name), after);
}

QTEST_GUILESS_MAIN(tst_DesktopBackends)
#include "tst_DesktopBackends.moc"
