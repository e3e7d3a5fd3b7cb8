// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopTestFiles.h"
#include "platform/desktop/FreshBitmapCopy.h"
#include "platform/desktop/GSettingsDesktopBackend.h"
#include "platform/desktop/PcmanfmDesktopBackend.h"
#include "platform/desktop/SwayDesktopBackend.h"
#include "platform/desktop/XfceDesktopBackend.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

class tst_DesktopBackendMappings : public QObject
{
    Q_OBJECT

private slots:
    void styleMapsToEachDesktopsValue_data();
    void styleMapsToEachDesktopsValue();
    void gvariantLiteralRoundTrips_data();
    void gvariantLiteralRoundTrips();
    void onlyPlainPathsGoToSway_data();
    void onlyPlainPathsGoToSway();
    void xfceBackdropFolders_data();
    void xfceBackdropFolders();
    void everyChangeGetsANameNeverHandedBefore_data();
    void everyChangeGetsANameNeverHandedBefore();
};

void tst_DesktopBackendMappings::styleMapsToEachDesktopsValue_data()
{
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("expected");

    const struct
    {
        const char* desktop;
        const char* values[3]; // Stretch, Center, Tile
    } table[] = {
        {"gsettings", {"stretched", "centered", "wallpaper"}},
        {"xfce", {"3", "1", "2"}},
        {"lxqt", {"stretch", "center", "tile"}},
        {"lxde", {"stretch", "center", "tile"}},
        {"sway", {"stretch", "center", "tile"}},
    };
    const WallpaperStyle styles[] = {WallpaperStyle::Stretch, WallpaperStyle::Center, WallpaperStyle::Tile};
    for (const auto& row : table) {
        for (int i = 0; i < 3; ++i) {
            QTest::addRow("%s %s", row.desktop, qPrintable(DesktopBackend::styleWord(styles[i])))
                << row.desktop << int(styles[i]) << row.values[i];
        }
    }
}

void tst_DesktopBackendMappings::styleMapsToEachDesktopsValue()
{
    QFETCH(QString, desktop);
    QFETCH(int, style);
    QFETCH(QString, expected);
    const auto chosen = WallpaperStyle(style);
    QString actual;
    if (desktop == QLatin1String("gsettings"))
        actual = GSettingsDesktopBackend::optionFor(chosen);
    else if (desktop == QLatin1String("xfce"))
        actual = QString::number(XfceDesktopBackend::imageStyleFor(chosen));
    else if (desktop == QLatin1String("lxqt") || desktop == QLatin1String("lxde"))
        actual = PcmanfmDesktopBackend::modeFor(chosen);
    else
        actual = SwayDesktopBackend::modeFor(chosen);
    QCOMPARE(actual, expected);
}

void tst_DesktopBackendMappings::gvariantLiteralRoundTrips_data()
{
    QTest::addColumn<QString>("text");
    QTest::addRow("plain") << "file:///home/ann/tessaly-a.bmp";
    QTest::addRow("quotes and backslash") << "/a'b\"c\\d";
    QTest::addRow("hostile") << DesktopTestFiles::hostileName();
    QTest::addRow("control characters") << QStringLiteral("line\nbreak\ttab\x01");
    QTest::addRow("outside the basic plane") << QString::fromUtf8("\xF0\x9F\x96\xBC picture");
    QTest::addRow("empty") << "";
}

void tst_DesktopBackendMappings::gvariantLiteralRoundTrips()
{
    QFETCH(QString, text);
    QCOMPARE(GSettingsDesktopBackend::unquoted(GSettingsDesktopBackend::quoted(text)),
             std::optional<QString>(text));
    // What gsettings prints for a value holding a single quote.
    QCOMPARE(GSettingsDesktopBackend::unquoted(QStringLiteral("\"it's \\\"so\\\" \\u00fc\"")),
             std::optional<QString>(QStringLiteral("it's \"so\" ü")));
    QCOMPARE(GSettingsDesktopBackend::unquoted(QStringLiteral("'unterminated")), std::nullopt);
    QCOMPARE(GSettingsDesktopBackend::unquoted(QStringLiteral("'bad escape \\u12'")), std::nullopt);
}

void tst_DesktopBackendMappings::onlyPlainPathsGoToSway_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("plain");
    QTest::addRow("ordinary") << "/home/ann/.config/tessaly/tessaly.bmp" << true;
    QTest::addRow("runtime folder") << "/run/user/1000/tessaly/tessaly-a.bmp" << true;
    QTest::addRow("relative") << "tessaly.bmp" << false;
    QTest::addRow("space") << "/home/Ann Lee/tessaly.bmp" << false;
    QTest::addRow("command substitution") << "/tmp/$(reboot)/t.bmp" << false;
    QTest::addRow("variable") << "/tmp/$HOME/t.bmp" << false;
    QTest::addRow("command separator") << "/tmp/a;exec x/t.bmp" << false;
    QTest::addRow("comma") << "/tmp/a,b/t.bmp" << false;
    QTest::addRow("quote") << "/tmp/it's/t.bmp" << false;
    QTest::addRow("backquote") << "/tmp/`x`/t.bmp" << false;
    QTest::addRow("tilde") << "/tmp/~x/t.bmp" << false;
    QTest::addRow("non-ASCII") << "/home/jürgen/t.bmp" << false;
    QTest::addRow("glob") << "/tmp/*/t.bmp" << false;
}

void tst_DesktopBackendMappings::onlyPlainPathsGoToSway()
{
    QFETCH(QString, path);
    QFETCH(bool, plain);
    QCOMPARE(SwayDesktopBackend::isPlainPath(path), plain);
}

void tst_DesktopBackendMappings::xfceBackdropFolders_data()
{
    QTest::addColumn<QStringList>("properties");
    QTest::addColumn<QStringList>("outputs");
    QTest::addColumn<int>("workspaceCount");
    QTest::addColumn<QStringList>("expected");

    const QString f = QStringLiteral("/backdrop/screen0/monitor%1/workspace%2");
    QTest::addRow("fresh profile") << QStringList{} << QStringList{"HDMI-1", "eDP-1"} << 2
                                   << QStringList{f.arg("HDMI-1").arg(0), f.arg("HDMI-1").arg(1),
                                                  f.arg("eDP-1").arg(0), f.arg("eDP-1").arg(1)};
    QTest::addRow("existing folders kept, no duplicates")
        << QStringList{f.arg("Virtual1").arg(0) + "/last-image",
                       f.arg("Virtual1").arg(0) + "/image-style",
                       f.arg("Virtual1").arg(3) + "/last-image",
                       f.arg(0).arg(0) + "/color-style",
                       "/desktop-icons/style",
                       "/backdrop/single-workspace-mode"}
        << QStringList{"Virtual1"} << 4
        << QStringList{f.arg("Virtual1").arg(0), f.arg("Virtual1").arg(3), f.arg(0).arg(0)};
    QTest::addRow("new output gets the known workspaces")
        << QStringList{f.arg("DP-1").arg(2) + "/last-image", f.arg("DP-1").arg(0) + "/last-image"}
        << QStringList{"DP-1", "DP-2"} << 4
        << QStringList{f.arg("DP-1").arg(2), f.arg("DP-1").arg(0), f.arg("DP-2").arg(0),
                       f.arg("DP-2").arg(2)};
    QTest::addRow("nothing known") << QStringList{} << QStringList{} << 4 << QStringList{};
}

void tst_DesktopBackendMappings::xfceBackdropFolders()
{
    QFETCH(QStringList, properties);
    QFETCH(QStringList, outputs);
    QFETCH(int, workspaceCount);
    QFETCH(QStringList, expected);
    QCOMPARE(XfceDesktopBackend::backdropFolders(properties, outputs, workspaceCount), expected);
}

void tst_DesktopBackendMappings::everyChangeGetsANameNeverHandedBefore_data()
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
    QTest::addRow("after a refusal") << QStringList{"tessaly-4.bmp", "tessaly-5.bmp"} << true
                                     << "tessaly-6.bmp" << QStringList{"tessaly-6.bmp"};
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

void tst_DesktopBackendMappings::everyChangeGetsANameNeverHandedBefore()
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
    const QRegularExpression numbered(QStringLiteral("^tessaly-\\d+\\.bmp$"));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files).filter(numbered).size() <= 2);
    copies.finish(applied);
    QVERIFY(save(qRgb(0, 90, 0)));

    QCOMPARE(QImage(fresh).pixel(0, 0), qRgb(90, 0, 0)); // this change's picture, not a later one
    QStringList left = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
    left.removeOne(QStringLiteral("tessaly.bmp"));
    QCOMPARE(left, after);

    QVERIFY(copies.prepare(dir.filePath(QStringLiteral("missing.bmp")), error).isEmpty());
    QVERIFY2(error.contains(QLatin1String("missing.bmp")), qPrintable(error));
}

QTEST_GUILESS_MAIN(tst_DesktopBackendMappings)
#include "tst_DesktopBackendMappings.moc"
