// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopBackendFactory.h"
#include "DesktopHarness.h"
#include "FreshBitmapCopy.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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
    void initTestCase()
    {
        const QByteArray gsettings = QStandardPaths::findExecutable("gsettings").toUtf8();
        m_log = m_dir.filePath("calls.log");
        const QString bin = m_dir.filePath("tools with space"), run = m_dir.filePath("run");
        QVERIFY(QDir().mkpath(bin) && QDir().mkpath(run));
        const QByteArray log =
            "printf '%s|' \"$(basename \"$0\")\" \"$@\" >> \"$CALL_LOG\"; echo >> \"$CALL_LOG\"\n";
        QVERIFY(DesktopHarness::writeScript(bin + "/gsettings", log + "exec '" + gsettings + "' \"$@\"\n"));
        for (const char* tool : {"set wallpaper", "pcmanfm-qt", "pcmanfm", "swaymsg"})
            QVERIFY(DesktopHarness::writeScript(
                bin + '/' + tool, log + "[ -z \"$FAIL_WITH\" ] || { echo $FAIL_WITH >&2; exit 3; }\n" +
                                      "[ \"$2\" != get_outputs ] || printf '%s' \"$SWAY_OUTPUTS\"\n"));
        qputenv("PATH", (bin + ':' + qEnvironmentVariable("PATH")).toLocal8Bit());
        qputenv("CALL_LOG", m_log.toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toLocal8Bit()); // gsettings' keyfile store
        // sway's command parser must only ever see plain paths: its copies go to the runtime folder.
        QVERIFY(QFile::setPermissions(run, QFileDevice::Permissions(0x7000))); // the owner's alone
        qputenv("XDG_RUNTIME_DIR", run.toLocal8Bit());
        QVERIFY(QDir::setCurrent(m_dir.path())); // anything a file name managed to run leaves its mark here
    }

    void init()
    {
        qputenv("GSETTINGS_BACKEND", "keyfile");
        qunsetenv("FAIL_WITH");
        QFile::remove(m_log);
    }

    void detectsTheSession_data()
    {
        QTest::addColumn<QString>("variables");
        QTest::addColumn<QString>("expected");
        const char* const rows[][3] = {
            {"Ubuntu, first token", "XDG_CURRENT_DESKTOP=ubuntu:GNOME", "gnome"},
            {"unknown token then known", "XDG_CURRENT_DESKTOP=Foo:XFCE", "xfce"},
            {"KDE on Wayland", "XDG_CURRENT_DESKTOP=KDE WAYLAND_DISPLAY=w-0", "kde"},
            {"Raspberry Pi LXDE", "DESKTOP_SESSION=LXDE-pi", "lxde"},
            {"current desktop wins", "XDG_CURRENT_DESKTOP=MATE DESKTOP_SESSION=gnome", "mate"},
            {"KDE marker", "KDE_FULL_SESSION=true DISPLAY=:0", "kde"},
            {"sway socket", "SWAYSOCK=/run/sway.sock DISPLAY=:0", "sway"},
            {"plain X11, i3", "XDG_CURRENT_DESKTOP=i3 DISPLAY=:0", "x11"},
            {"empty values", "XDG_CURRENT_DESKTOP= DISPLAY=", "none"},
        };
        for (const auto& row : rows)
            QTest::addRow("%s", row[0]) << row[1] << row[2];
    }

    void detectsTheSession()
    {
        QFETCH(QString, variables);
        QFETCH(QString, expected);
        QProcessEnvironment environment;
        for (const QString& variable : variables.split(' '))
            environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
        QCOMPARE(DesktopBackendFactory::detect(environment), expected);
        // The settings file names it in any letter case, with blanks; "auto" asks the session.
        QCOMPARE(DesktopBackendFactory::create(" " + expected.toUpper(), {}, environment)->name(), expected);
        QCOMPARE(DesktopBackendFactory::create("auto", {}, environment)->name(), expected);
    }

    void handsStyleThenFreshFile_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("style");
        // The calls, one a line (gsettings: schema|key|value kept); %F fresh copy, %B bitmap, %P plain copy.
        // "!": the tools fail, and so does the change, for this reason.
        QTest::addColumn<QString>("expected");

        const QString gnome = "org.gnome.desktop.background|picture-",
                      cinnamon = "org.cinnamon.desktop.background|picture-",
                      mate = "org.mate.background|picture-";
        const struct
        {
            const char *tag, *backend, *style;
            QString expected;
        } rows[] = {
            {"GNOME Center", "gnome", "Center",
             gnome + "options|centered\n" + gnome + "uri|%F\n" + gnome + "uri-dark|%F"},
            {"Cinnamon Tile", "cinnamon", "Tile", cinnamon + "options|wallpaper\n" + cinnamon + "uri|%F"},
            {"MATE Stretch", "mate", "Stretch", mate + "options|stretched\n" + mate + "filename|%F"},
            {"LXQt Stretch", "lxqt", "Stretch", "pcmanfm-qt|--wallpaper-mode=stretch|--set-wallpaper=%F"},
            // One bitmap of the whole desktop: each monitor shows its own part.
            {"MATE Span", "mate", "Span", mate + "options|spanned\n" + mate + "filename|%F"},
            {"LXQt Span", "lxqt", "Span", "pcmanfm-qt|--wallpaper-mode=stretch|--set-wallpaper=%F"},
            {"LXDE Tile", "lxde", "Tile", "pcmanfm|--wallpaper-mode=tile|--set-wallpaper=%F"},
            {"LXDE Span", "lxde", "Span", "pcmanfm|--wallpaper-mode=screen|--set-wallpaper=%F"},
            {"sway Center", "sway", "Center", "swaymsg|--|output|*|bg|%P|center|#000000"},
            {"own command", "command", "Tile", "set wallpaper|--quiet|two words|%B|Tile"},
            // gsettings exits 0 even when no store kept the write (dconf without a bus).
            {"value not kept", "mate", "Center",
             "!MATE: org.mate.background picture-options did not keep the value"},
            {"pcmanfm-qt fails", "lxqt", "Center", "!LXQt: pcmanfm-qt failed with exit code 3: no monitor X"},
            {"swaymsg fails", "sway", "Center", "!sway: swaymsg failed with exit code 3: no monitor X"},
            {"command fails", "command", "Center",
             "!desktop command: %T/set wallpaper failed with exit code 3: no monitor X"},
        };
        for (const auto& row : rows)
            QTest::addRow("%s", row.tag) << row.backend << row.style << row.expected;
    }

    void handsStyleThenFreshFile()
    {
        QFETCH(QString, backend);
        QFETCH(QString, style);
        QFETCH(QString, expected);
        const QString tools = m_dir.filePath("tools with space");
        if (expected.startsWith('!')) {
            qputenv("GSETTINGS_BACKEND", "memory");
            qputenv("FAIL_WITH", "no monitor X");
        }
        // The application folder may sit anywhere; its path must reach the desktop exactly, and run nothing.
        const QString bitmap = DesktopHarness::writeBitmap(
            m_dir.filePath(DesktopHarness::hostileName() + '/' + QTest::currentDataTag() + "/tessaly.bmp"),
            QImage(8, 6, QImage::Format_RGB32));
        const QString command = '"' + tools + "/set wallpaper\" --quiet \"two words\"";
        const ApplyResult result =
            DesktopBackendFactory::create(backend, command, {})->apply(bitmap, DesktopHarness::style(style));
        expected.replace("%F", QFileInfo(bitmap).absolutePath() + "/tessaly-1.bmp")
            .replace("%B", bitmap)
            .replace("%P", m_dir.filePath("run/tessaly/tessaly-1.bmp"))
            .replace("%T", tools);
        if (expected.startsWith('!'))
            QVERIFY2(!result.ok && result.reason.startsWith(expected.mid(1)), qPrintable(result.reason));
        else
            QVERIFY2(result.ok && calls() == expected.split('\n'),
                     qPrintable(result.reason + calls().join('\n')));
        QVERIFY(!QFile::exists(m_dir.filePath("pwned")) && !QFile::exists(m_dir.filePath("pwned2")));
    }

    void swayGivesEachOutputItsPart_data()
    {
        QTest::addColumn<QString>("outputs");  // sway's: name x y width height, "off" for an inactive one
        QTest::addColumn<QString>("monitors"); // Qt's, the primary first
        QTest::addColumn<QString>("expected"); // the command after get_outputs, or "!" and the failure
        // On Xwayland Qt's screens are XWAYLAND0…, laid out where sway lays out its outputs.
        QTest::addRow("by place, the inactive output skipped")
            << "HDMI-A-9 4 2 3 3 off;DP-1 0 0 4 5;DP-2 4 2 3 3"
            << "XWAYLAND0 4 2 3 3;XWAYLAND1 0 0 4 5"
            << "swaymsg|--|output|DP-2|bg|%P/tessaly-XWAYLAND0-1.bmp|stretch|#000000|;|"
               "output|DP-1|bg|%P/tessaly-XWAYLAND1-1.bmp|stretch|#000000";
        QTest::addRow("no output in its place")
            << "DP-1 0 0 4 5;DP-2 4 0 3 3"
            << "XWAYLAND0 0 0 4 5;XWAYLAND1 4 2 3 3"
            << "!sway: none of its outputs lies where monitor XWAYLAND1 does (3×3 at 4,2)";
        QTest::addRow("an output name sway would expand")
            << "DP-1 0 0 4 5;$(touch${IFS}pwned) 4 2 3 3"
            << "XWAYLAND0 0 0 4 5;XWAYLAND1 4 2 3 3"
            << "!sway: the output name \"$(touch${IFS}pwned)\" cannot be passed to sway safely";
    }

    void swayGivesEachOutputItsPart()
    {
        QFETCH(QString, outputs);
        QFETCH(QString, monitors);
        QFETCH(QString, expected);
        QJsonArray reported;
        QList<MonitorGeometry> placed;
        for (const QString& row : (outputs + ';' + monitors).split(';')) {
            const QStringList f = row.split(' ');
            const QRect place(f[1].toInt(), f[2].toInt(), f[3].toInt(), f[4].toInt());
            if (reported.size() < outputs.count(';') + 1)
                reported.append(QJsonObject{{"name", f[0]},
                                            {"active", f.size() < 6},
                                            {"rect", QJsonObject{{"x", place.x()},
                                                                 {"y", place.y()},
                                                                 {"width", place.width()},
                                                                 {"height", place.height()}}}});
            else
                placed.append({f[0], place, {}});
        }
        qputenv("SWAY_OUTPUTS", QJsonDocument(reported).toJson());
        // Copies left by other rows would number this one's on.
        QVERIFY(QDir(m_dir.filePath("run/tessaly")).removeRecursively());
        const QString bitmap =
            DesktopHarness::writeBitmap(m_dir.filePath(DesktopHarness::hostileName() + "/span/tessaly.bmp"),
                                        QImage(7, 5, QImage::Format_RGB32));
        const ApplyResult result =
            DesktopBackendFactory::create("sway", {}, {})->apply(bitmap, WallpaperStyle::Span, placed);
        if (expected.startsWith('!')) {
            QVERIFY2(!result.ok && result.reason == expected.mid(1), qPrintable(result.reason));
            QCOMPARE(calls().size(), 1); // only asked for the outputs
        } else {
            QVERIFY2(result.ok, qPrintable(result.reason));
            QCOMPARE(calls(), QStringList({"swaymsg|-t|get_outputs",
                                           expected.replace("%P", m_dir.filePath("run/tessaly"))}));
        }
        QVERIFY(!QFile::exists(m_dir.filePath("pwned")));
    }

    void everyChangeGetsANameNeverHandedBefore()
    {
        QTemporaryDir dir;
        const QString bitmap = dir.filePath("t.bmp");
        // As the program saves it: a new file renamed over the old one.
        const auto save = [&](QRgb colour) {
            QImage image(4, 4, QImage::Format_RGB32);
            image.fill(colour);
            const QString next = DesktopHarness::writeBitmap(dir.filePath("next"), image);
            return std::rename(QFile::encodeName(next), QFile::encodeName(bitmap)) == 0;
        };
        // Each change with a new FreshBitmapCopy: what it knows must come from the files.
        const auto change = [&](bool applied) {
            FreshBitmapCopy copies;
            QString error;
            const QString fresh = QFileInfo(copies.prepare(bitmap, error)).fileName();
            copies.finish(applied);
            return fresh + ": " + QDir(dir.path()).entryList({"t-*"}, QDir::Files, QDir::Name).join(' ');
        };
        for (const char* leftover : {"t-12.bmp", "t-2.bmp", "t-7.bmp", "t-x.bmp"}) // of killed runs
            QVERIFY(save(0) && QFile::rename(bitmap, dir.filePath(leftover)));
        QVERIFY(save(qRgb(90, 0, 0)));
        // Refused: any copy may be on screen, one from a run killed as the desktop took it too.
        QCOMPARE(change(false), "t-13.bmp: t-12.bmp t-13.bmp t-2.bmp t-7.bmp t-x.bmp");
        QVERIFY(save(qRgb(0, 90, 0)));
        QCOMPARE(change(true), "t-14.bmp: t-14.bmp t-x.bmp");
        QVERIFY(save(qRgb(0, 0, 90)));
        QCOMPARE(QImage(dir.filePath("t-14.bmp")).pixel(0, 0), qRgb(0, 90, 0)); // that change's picture
    }

private:
    QStringList calls() const
    {
        QFile file(m_log);
        QStringList calls;
        file.open(QIODevice::ReadOnly);
        for (QString line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)) {
            line.chop(1);
            if (!line.startsWith("gsettings|")) {
                calls.append(line);
            } else if (line.startsWith("gsettings|set|")) {
                // The value the store kept: in single quotes, or in double quotes when it holds one.
                const QString key = line.section('|', 2, 3);
                const QString printed =
                    DesktopHarness::run("gsettings", {"get", key.section('|', 0, 0), key.section('|', 1)});
                QString kept = printed.mid(1, printed.size() - 2);
                kept.replace("\\\"", "\"").replace("\\'", "'").replace("\\\\", "\\");
                calls.append(key + '|' + (kept.startsWith("file:") ? QUrl(kept).toLocalFile() : kept));
            }
        }
        return calls;
    }

    QTemporaryDir m_dir;
    QString m_log;
};

QTEST_GUILESS_MAIN(tst_DesktopBackends)
#include "tst_DesktopBackends.moc"
