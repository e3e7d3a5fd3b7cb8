// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopTestFiles.h"
#include "platform/desktop/AlternatingBitmapPath.h"
#include "platform/desktop/GSettingsWallpaper.h"
#include "platform/desktop/PcmanfmDesktopBackend.h"
#include "platform/desktop/SwayDesktopBackend.h"
#include "platform/desktop/XfceDesktopBackend.h"

#include <QTemporaryDir>
#include <QTest>

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
    void alternateNamesTakeTurns();
    void failedChangeKeepsBothNames();
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
        actual = GSettingsWallpaper::optionFor(chosen);
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
    QCOMPARE(GSettingsWallpaper::unquoted(GSettingsWallpaper::quoted(text)), std::optional<QString>(text));
    // What gsettings prints for a value holding a single quote.
    QCOMPARE(GSettingsWallpaper::unquoted(QStringLiteral("\"it's \\\"so\\\" \\u00fc\"")),
             std::optional<QString>(QStringLiteral("it's \"so\" ü")));
    QCOMPARE(GSettingsWallpaper::unquoted(QStringLiteral("'unterminated")), std::nullopt);
    QCOMPARE(GSettingsWallpaper::unquoted(QStringLiteral("'bad escape \\u12'")), std::nullopt);
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

void tst_DesktopBackendMappings::alternateNamesTakeTurns()
{
    QTemporaryDir dir;
    const QString bitmap = DesktopTestFiles::writeBitmap(dir.filePath(QStringLiteral("tessaly.bmp")));
    QVERIFY(!bitmap.isEmpty());
    QString error;
    QStringList handed;
    for (int change = 0; change < 3; ++change) {
        // A new picture each time, saved under the same name as the program does.
        DesktopTestFiles::writeBitmap(bitmap, qRgb(change * 80, 0, 0));
        AlternatingBitmapPath alternates; // a fresh one each time: the turn must come from the files
        const QString fresh = alternates.prepare(bitmap, error);
        QVERIFY2(!fresh.isEmpty(), qPrintable(error));
        QCOMPARE(QImage(fresh).pixel(0, 0), qRgb(change * 80, 0, 0));
        alternates.finish(true);
        handed.append(QFileInfo(fresh).fileName());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2); // the bitmap and the one shown
    }
    QCOMPARE(handed, (QStringList{"tessaly-a.bmp", "tessaly-b.bmp", "tessaly-a.bmp"}));
    QVERIFY(QFileInfo::exists(bitmap));

    AlternatingBitmapPath alternates;
    QVERIFY(alternates.prepare(dir.filePath(QStringLiteral("missing.bmp")), error).isEmpty());
    QVERIFY2(error.contains(QLatin1String("missing.bmp")), qPrintable(error));
}

void tst_DesktopBackendMappings::failedChangeKeepsBothNames()
{
    QTemporaryDir dir;
    const QString bitmap = DesktopTestFiles::writeBitmap(dir.filePath(QStringLiteral("tessaly.bmp")));
    QString error;
    AlternatingBitmapPath alternates;
    const QString shown = alternates.prepare(bitmap, error);
    alternates.finish(true);
    QTest::qWait(20); // distinct modification times
    const QString failed = alternates.prepare(bitmap, error);
    alternates.finish(false);
    QVERIFY(QFileInfo::exists(shown));
    QVERIFY(QFileInfo::exists(failed));
    // The next try reuses the copy the desktop never took, not the one on screen.
    QCOMPARE(alternates.prepare(bitmap, error), failed);
    alternates.finish(true);
    QVERIFY(!QFileInfo::exists(shown));
}

QTEST_GUILESS_MAIN(tst_DesktopBackendMappings)
#include "tst_DesktopBackendMappings.moc"
