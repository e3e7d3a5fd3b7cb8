// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopTestFiles.h"
#include "platform/desktop/DesktopBackendFactory.h"
#include "platform/desktop/FreshBitmapCopy.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <cstdio>

// The back ends that hand the picture to a program, made by name as the settings file names them: the real
// gsettings on its keyfile store in a private folder, and stand-ins for pcmanfm-qt, pcmanfm, swaymsg and the
// user's command. Every program on PATH logs its arguments, each one whole, one call a line.
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
    QString stored(const QString& schema, const QString& key) const;
    QStringList calls() const;
    void useSchemas(const QString& schemaXml);

    QTemporaryDir m_dir;
    QString m_log;
    QString m_gsettings;
};

namespace {

const QString Gnome = QStringLiteral("org.gnome.desktop.background");
const QString Cinnamon = QStringLiteral("org.cinnamon.desktop.background");
const QString Mate = QStringLiteral("org.mate.background");

} // namespace

void tst_DesktopBackends::initTestCase()
{
    m_gsettings = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
    QVERIFY2(!m_gsettings.isEmpty(), "gsettings is missing (libglib2.0-bin)");
    QVERIFY(!QStandardPaths::findExecutable(QStringLiteral("glib-compile-schemas")).isEmpty());
    m_log = m_dir.filePath(QStringLiteral("calls.log"));
    const QString bin = m_dir.filePath(QStringLiteral("tools with space"));
    QVERIFY(QDir().mkpath(bin));
    const QByteArray log =
        "printf '%s|' \"$(basename \"$0\")\" \"$@\" >> \"$CALL_LOG\"; echo >> \"$CALL_LOG\"\n";
    QVERIFY(DesktopTestFiles::writeScript(bin + QStringLiteral("/gsettings"),
                                          log + "exec '" + m_gsettings.toUtf8() + "' \"$@\"\n"));
    for (const char* tool : {"set wallpaper", "pcmanfm-qt", "pcmanfm", "swaymsg"})
        QVERIFY(DesktopTestFiles::writeScript(bin + QLatin1Char('/') + QLatin1String(tool),
                                              log + "[ -n \"$FAIL_WITH\" ] && { echo \"$FAIL_WITH\" >&2; "
                                                    "exit 3; }\nexit 0\n"));
    DesktopTestFiles::prependToPath(bin);
    qputenv("CALL_LOG", m_log.toLocal8Bit());
    qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data-home")).toLocal8Bit());
    // sway's command parser must only ever see plain paths: copies go to the runtime folder.
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("run"))));
    QVERIFY(QFile::setPermissions(m_dir.filePath(QStringLiteral("run")),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    qputenv("XDG_RUNTIME_DIR", m_dir.filePath(QStringLiteral("run")).toLocal8Bit());
    // Anything a file name managed to run would leave its mark here.
    QVERIFY(QDir::setCurrent(m_dir.path()));
}

void tst_DesktopBackends::init()
{
    static int run = 0;
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config%1").arg(++run)).toLocal8Bit());
    qputenv("GSETTINGS_BACKEND", "keyfile");
    qunsetenv("XDG_DATA_DIRS");
    qunsetenv("FAIL_WITH");
    QFile::remove(m_log);
    QDir(m_dir.filePath(QStringLiteral("run/tessaly"))).removeRecursively();
}

QString tst_DesktopBackends::stored(const QString& schema, const QString& key) const
{
    // gsettings prints a GVariant text: a string in single quotes, or in double quotes when it holds one.
    const QString printed =
        DesktopTestFiles::runTool(m_gsettings, {QStringLiteral("get"), schema, key}).trimmed();
    QString value = printed.mid(1, printed.size() - 2);
    value.replace(QLatin1String("\\\""), QLatin1String("\""))
        .replace(QLatin1String("\\'"), QLatin1String("'"));
    return value.replace(QLatin1String("\\\\"), QLatin1String("\\"));
}

QStringList tst_DesktopBackends::calls() const
{
    QFile file(m_log);
    QStringList calls;
    if (!file.open(QIODevice::ReadOnly))
        return calls;
    for (const QString& line :
         QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        QStringList fields = line.split(QLatin1Char('|'));
        fields.removeLast();
        // gsettings: which keys were set, in order; the values are read back from the store.
        if (fields.first() == QLatin1String("gsettings") && fields.value(1) != QLatin1String("set"))
            continue;
        if (fields.first() == QLatin1String("gsettings"))
            fields = fields.mid(0, 4);
        calls.append(fields.join(QLatin1Char('|')));
    }
    return calls;
}

void tst_DesktopBackends::useSchemas(const QString& schemaXml)
{
    const QString folder = m_dir.filePath(QStringLiteral("schemas%1/glib-2.0/schemas").arg(qHash(schemaXml)));
    QVERIFY(QDir().mkpath(folder));
    if (!schemaXml.isEmpty()) {
        QFile file(folder + QStringLiteral("/test.gschema.xml"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(schemaXml.toUtf8());
        file.close();
        QVERIFY(QProcess::execute(QStringLiteral("glib-compile-schemas"), {folder}) == 0);
    }
    qputenv("XDG_DATA_DIRS", QFileInfo(folder + QStringLiteral("/../..")).canonicalFilePath().toLocal8Bit());
}

void tst_DesktopBackends::detectsTheSession_data()
{
    QTest::addColumn<QStringList>("variables");
    QTest::addColumn<QString>("expected");

    QTest::addRow("Ubuntu, first token") << QStringList{"XDG_CURRENT_DESKTOP=ubuntu:GNOME"} << "gnome";
    QTest::addRow("Budgie") << QStringList{"XDG_CURRENT_DESKTOP=Budgie:GNOME"} << "gnome";
    QTest::addRow("unknown token then known") << QStringList{"XDG_CURRENT_DESKTOP=Foo:XFCE"} << "xfce";
    QTest::addRow("Cinnamon") << QStringList{"XDG_CURRENT_DESKTOP=X-Cinnamon"} << "cinnamon";
    QTest::addRow("MATE") << QStringList{"XDG_CURRENT_DESKTOP=MATE"} << "mate";
    QTest::addRow("KDE on Wayland") << QStringList{"XDG_CURRENT_DESKTOP=KDE", "WAYLAND_DISPLAY=w-0"} << "kde";
    QTest::addRow("LXQt") << QStringList{"XDG_CURRENT_DESKTOP=LXQt"} << "lxqt";
    QTest::addRow("Raspberry Pi LXDE") << QStringList{"DESKTOP_SESSION=LXDE-pi"} << "lxde";
    QTest::addRow("session desktop") << QStringList{"XDG_SESSION_DESKTOP=xubuntu"} << "xfce";
    QTest::addRow("current desktop wins over session")
        << QStringList{"XDG_CURRENT_DESKTOP=MATE", "DESKTOP_SESSION=gnome"} << "mate";
    QTest::addRow("KDE marker") << QStringList{"KDE_FULL_SESSION=true", "DISPLAY=:0"} << "kde";
    QTest::addRow("sway socket") << QStringList{"SWAYSOCK=/run/user/1000/sway-ipc.sock", "DISPLAY=:0"}
                                 << "sway";
    QTest::addRow("other Wayland") << QStringList{"XDG_CURRENT_DESKTOP=Hyprland", "WAYLAND_DISPLAY=w-1"}
                                   << "sway";
    QTest::addRow("plain X11, i3") << QStringList{"XDG_CURRENT_DESKTOP=i3", "DISPLAY=:0"} << "x11";
    QTest::addRow("empty values") << QStringList{"XDG_CURRENT_DESKTOP=", "DISPLAY="} << "none";
}

void tst_DesktopBackends::detectsTheSession()
{
    QFETCH(QStringList, variables);
    QFETCH(QString, expected);
    QProcessEnvironment environment;
    for (const QString& variable : variables)
        environment.insert(variable.section(QLatin1Char('='), 0, 0), variable.section(QLatin1Char('='), 1));
    QCOMPARE(DesktopBackendFactory::detect(environment), expected);
    // The settings file may name it in any letter case, with blanks; "auto" asks the session.
    QCOMPARE(DesktopBackendFactory::create(QStringLiteral(" ") + expected.toUpper(), {}, environment)->name(),
             expected);
    QCOMPARE(DesktopBackendFactory::create(QStringLiteral("auto"), {}, environment)->name(), expected);
}

void tst_DesktopBackends::handsStyleThenFreshFile_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("styleUsed");
    // %F: the fresh copy handed over; %B: the bitmap; %P: the fresh copy in the plain runtime folder
    QTest::addColumn<QStringList>("expectedCalls");
    QTest::addColumn<QStringList>("expectedStored"); // schema|key|value; %U: the fresh copy's URL

    // One line per call or stored value.
    const auto gnome = [](const char* option) {
        return Gnome + "|picture-options|" + option + "\n" + Gnome + "|picture-uri|%U\n" + Gnome +
               "|picture-uri-dark|%U";
    };
    const QString set = QStringLiteral("gsettings|set|");
    const QString gnomeCalls = set + Gnome + "|picture-options\n" + set + Gnome + "|picture-uri\n" + set +
                               Gnome + "|picture-uri-dark";
    const QString cinnamonCalls = set + Cinnamon + "|picture-options\n" + set + Cinnamon + "|picture-uri";
    const QString cinnamonStored = Cinnamon + "|picture-options|centered\n" + Cinnamon + "|picture-uri|%U";
    const QString mateCalls = set + Mate + "|picture-options\n" + set + Mate + "|picture-filename";
    const QString mateStored = Mate + "|picture-options|wallpaper\n" + Mate + "|picture-filename|%F";
    const QString ownCommand =
        "\"" + m_dir.filePath("tools with space/set wallpaper") + "\" --quiet \"two words\"";
    const struct
    {
        const char* tag;
        QString backend, command, style, styleUsed, calls, stored;
    } rows[] = {
        {"GNOME Stretch", "gnome", "", "Stretch", "Stretch", gnomeCalls, gnome("stretched")},
        {"GNOME Center", "gnome", "", "Center", "Center", gnomeCalls, gnome("centered")},
        {"GNOME Tile", "gnome", "", "Tile", "Tile", gnomeCalls, gnome("wallpaper")},
        {"GNOME, a lower-case word stretches", "gnome", "", "center", "Stretch", gnomeCalls,
         gnome("stretched")},
        {"Cinnamon Center", "cinnamon", "", "Center", "Center", cinnamonCalls, cinnamonStored},
        {"MATE Tile", "mate", "", "Tile", "Tile", mateCalls, mateStored},
        {"LXQt Stretch", "lxqt", "", "Stretch", "Stretch",
         "pcmanfm-qt|--wallpaper-mode=stretch|--set-wallpaper=%F", ""},
        {"LXQt Center", "lxqt", "", "Center", "Center",
         "pcmanfm-qt|--wallpaper-mode=center|--set-wallpaper=%F", ""},
        {"LXDE Tile", "lxde", "", "Tile", "Tile", "pcmanfm|--wallpaper-mode=tile|--set-wallpaper=%F", ""},
        {"sway Stretch", "sway", "", "Stretch", "Stretch", "swaymsg|--|output|*|bg|%P|stretch|#000000", ""},
        {"sway Center", "sway", "", "Center", "Center", "swaymsg|--|output|*|bg|%P|center|#000000", ""},
        {"sway Tile", "sway", "", "Tile", "Tile", "swaymsg|--|output|*|bg|%P|tile|#000000", ""},
        {"command with its own arguments", "command", ownCommand, "Tile", "Tile",
         "set wallpaper|--quiet|two words|%B|Tile", ""},
        {"command found on PATH", "command", "\"set wallpaper\"", "stretch", "Stretch",
         "set wallpaper|%B|Stretch", ""},
    };
    for (const auto& row : rows)
        QTest::addRow("%s", row.tag) << row.backend << row.command << row.style << row.styleUsed
                                     << row.calls.split(u'\n') << row.stored.split(u'\n', Qt::SkipEmptyParts);
}

void tst_DesktopBackends::handsStyleThenFreshFile()
{
    QFETCH(QString, backend);
    QFETCH(QString, command);
    QFETCH(QString, style);
    QFETCH(QString, styleUsed);
    QFETCH(QStringList, expectedCalls);
    QFETCH(QStringList, expectedStored);

    // The application folder may sit anywhere; its path must reach the desktop exactly, and run nothing.
    const QString bitmap = DesktopTestFiles::writeBitmap(
        m_dir.filePath(DesktopTestFiles::hostileName() + QLatin1Char('/') +
                       QString::fromUtf8(QTest::currentDataTag()) + QStringLiteral("/tessaly.bmp")));
    QVERIFY(!bitmap.isEmpty());
    const QString fresh = QFileInfo(bitmap).absolutePath() + QStringLiteral("/tessaly-1.bmp");
    const auto desktop = DesktopBackendFactory::create(backend, command, {});
    const ApplyResult result = desktop->apply(bitmap, style);
    QVERIFY2(result.ok, qPrintable(result.reason));
    QCOMPARE(style, styleUsed);

    const QString plainCopy = m_dir.filePath(QStringLiteral("run/tessaly/tessaly-1.bmp"));
    QCOMPARE(calls(), expectedCalls.replaceInStrings(QStringLiteral("%F"), fresh)
                          .replaceInStrings(QStringLiteral("%B"), bitmap)
                          .replaceInStrings(QStringLiteral("%P"), plainCopy));
    if (!expectedCalls.filter(plainCopy).isEmpty())
        QVERIFY(QFile::exists(plainCopy));
    for (const QString& row : expectedStored) {
        const QStringList part = row.split(QLatin1Char('|'));
        QString value = part.at(2);
        value.replace(QStringLiteral("%U"), QUrl::fromLocalFile(fresh).toString(QUrl::FullyEncoded))
            .replace(QStringLiteral("%F"), fresh);
        const QString seen = stored(part.at(0), part.at(1));
        if (value.startsWith(QLatin1String("file:")))
            QCOMPARE(QUrl(seen).toLocalFile(), fresh);
        else
            QCOMPARE(seen, value);
    }
    if (!expectedStored.isEmpty() || !expectedCalls.filter(QStringLiteral("%F")).isEmpty())
        QVERIFY(QFile::exists(fresh));
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("pwned"))));
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("pwned2"))));
}

void tst_DesktopBackends::failuresAreReported_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("schemas"); // "" for the system's schemas, "none", or a schema's XML
    QTest::addColumn<QByteArray>("store");
    QTest::addColumn<QString>("reason"); // its start; empty when the change must succeed

    const QString schema = QStringLiteral(
        "<schemalist><schema id='org.gnome.desktop.background' path='/org/gnome/desktop/background/'>%1"
        "</schema></schemalist>");
    const QString options =
        QStringLiteral("<key name='picture-options' type='s'><default>'zoom'</default></key>");
    const QString uriKey = QStringLiteral("<key name='picture-uri' type='s'><default>''</default></key>");
    const struct
    {
        const char* tag;
        QString backend, command, schemas;
        QByteArray store;
        QString reason;
    } rows[] = {
        {"unknown back end", "gnmoe", "", "", "keyfile",
         "the settings file names an unknown desktop back end \"gnmoe\""},
        {"no schemas at all", "gnome", "", "none", "keyfile", "GNOME: gsettings failed with exit code 1"},
        {"no picture-uri", "gnome", "", schema.arg(options), "keyfile",
         "GNOME: the settings schema org.gnome.desktop.background has no key picture-uri"},
        {"older GNOME without a dark key", "gnome", "", schema.arg(options + uriKey), "keyfile", ""},
        // gsettings exits 0 when its write never reached a store (no session bus for dconf): only reading
        // the value back shows it.
        {"value not kept", "mate", "", "", "memory",
         "MATE: org.mate.background picture-options did not keep the value written (is the settings service "
         "running?)"},
        {"pcmanfm-qt fails", "lxqt", "", "", "keyfile",
         "LXQt: pcmanfm-qt failed with exit code 3: no monitor named X"},
        {"swaymsg fails", "sway", "", "", "keyfile",
         "sway: swaymsg failed with exit code 3: no monitor named X"},
        {"command fails", "command", "\"set wallpaper\"", "", "keyfile",
         "desktop command: set wallpaper failed with exit code 3: no monitor named X"},
        {"no such program", "command", "/nonexistent/setter", "", "keyfile",
         "desktop command: /nonexistent/setter could not be started"},
        {"empty command", "command", "  ", "", "keyfile", "desktop command: no program is set"},
    };
    for (const auto& row : rows)
        QTest::addRow("%s", row.tag) << row.backend << row.command << row.schemas << row.store << row.reason;
}

void tst_DesktopBackends::failuresAreReported()
{
    QFETCH(QString, backend);
    QFETCH(QString, command);
    QFETCH(QString, schemas);
    QFETCH(QByteArray, store);
    QFETCH(QString, reason);
    if (!schemas.isEmpty())
        useSchemas(schemas == QLatin1String("none") ? QString() : schemas);
    qputenv("GSETTINGS_BACKEND", store);
    qputenv("FAIL_WITH", "no monitor named X");
    const QString bitmap = DesktopTestFiles::writeBitmap(m_dir.filePath(
        QStringLiteral("failing/%1/tessaly.bmp").arg(QString::fromUtf8(QTest::currentDataTag()))));
    const auto desktop = DesktopBackendFactory::create(backend, command, {});
    QString style = QStringLiteral("Center");
    const ApplyResult result = desktop->apply(bitmap, style);
    QCOMPARE(result.ok, reason.isEmpty());
    QVERIFY2(reason.isEmpty() ? result.reason.isEmpty() : result.reason.startsWith(reason),
             qPrintable(result.reason));
}

void tst_DesktopBackends::everyChangeGetsANameNeverHandedBefore_data()
{
    QTest::addColumn<QStringList>("before"); // copies on disk when the change starts
    QTest::addColumn<bool>("applied");
    QTest::addColumn<QString>("handed");
    QTest::addColumn<QStringList>("after");

    QTest::addRow("first change") << QStringList{} << true << "tessaly-1.bmp" << QStringList{"tessaly-1.bmp"};
    QTest::addRow("next change") << QStringList{"tessaly-9.bmp"} << true << "tessaly-10.bmp"
                                 << QStringList{"tessaly-10.bmp"};
    QTest::addRow("refused: both kept") << QStringList{"tessaly-4.bmp"} << false << "tessaly-5.bmp"
                                        << QStringList{"tessaly-4.bmp", "tessaly-5.bmp"};
    QTest::addRow("refused twice: still two")
        << QStringList{"tessaly-4.bmp", "tessaly-5.bmp"} << false << "tessaly-6.bmp"
        << QStringList{"tessaly-4.bmp", "tessaly-6.bmp"};
    QTest::addRow("leftovers of killed runs")
        << QStringList{"tessaly-12.bmp", "tessaly-2.bmp", "tessaly-7.bmp"} << false << "tessaly-13.bmp"
        << QStringList{"tessaly-13.bmp", "tessaly-2.bmp"};
    QTest::addRow("other files stay")
        << QStringList{"tessaly-x.bmp", "tessaly-3.bmp.keep", "other-3.bmp"} << true << "tessaly-1.bmp"
        << QStringList{"other-3.bmp", "tessaly-1.bmp", "tessaly-3.bmp.keep", "tessaly-x.bmp"};
}

void tst_DesktopBackends::everyChangeGetsANameNeverHandedBefore()
{
    QFETCH(QStringList, before);
    QFETCH(bool, applied);
    QFETCH(QString, handed);
    QFETCH(QStringList, after);

    QTemporaryDir dir;
    for (const QString& name : before)
        QVERIFY(!DesktopTestFiles::writeBitmap(dir.filePath(name), qRgb(0, 0, 200)).isEmpty());
    const QString bitmap = dir.filePath(QStringLiteral("tessaly.bmp"));
    // As the program saves it: a new file renamed over the old one.
    const auto save = [&](QRgb colour) {
        const QString next = DesktopTestFiles::writeBitmap(dir.filePath(QStringLiteral("next")), colour);
        return std::rename(QFile::encodeName(next).constData(), QFile::encodeName(bitmap).constData()) == 0;
    };
    QVERIFY(save(qRgb(90, 0, 0)));

    FreshBitmapCopy copies; // a new one: what it knows must come from the files
    QString error;
    const QString fresh = copies.prepare(bitmap, error);
    QCOMPARE(fresh, dir.filePath(handed));
    copies.finish(applied);
    QVERIFY(save(qRgb(0, 90, 0)));

    QCOMPARE(QImage(fresh).pixel(0, 0), qRgb(90, 0, 0)); // this change's picture, not a later one
    QStringList left = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
    left.removeOne(QStringLiteral("tessaly.bmp"));
    QCOMPARE(left, after);
}

QTEST_GUILESS_MAIN(tst_DesktopBackends)
#include "tst_DesktopBackends.moc"
