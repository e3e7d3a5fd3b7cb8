// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopHarness.h"
#include "FakePlasmaShell.h"
#include "KdePlasmaBackend.h"
#include "X11RootBackend.h"
#include "XfceDesktopBackend.h"
#include "XvfbServer.h"

#include <QDBusConnectionInterface>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUrl>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

constexpr int Width = 64;
constexpr int Height = 48;

/** A picture whose every pixel differs, so a misplaced tile or offset shows. */
QImage pattern(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(10 + 3 * x, 20 + 4 * y, 200 - x - y));
    return image;
}

QRgb expectedPixel(const QString& style, const QImage& picture, int x, int y)
{
    if (style == "Tile")
        return picture.pixel(x % picture.width(), y % picture.height());
    const QPoint at(x - (Width - picture.width()) / 2, y - (Height - picture.height()) / 2);
    if (style == "Center")
        return picture.valid(at) ? picture.pixel(at) : qRgb(0, 0, 0);
    return picture.pixel(x * picture.width() / Width, y * picture.height() / Height);
}

} // namespace

// The back ends that talk to a running desktop: a private Xvfb whose root window is read back, a private
// session bus with a stand-in plasmashell and the real xfconfd (real sway is the end-to-end tests').
class tst_RealDesktops : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(m_xvfb.start(Width, Height).isEmpty(), "Xvfb");
        qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toLocal8Bit()); // for xfconfd, started by the bus
        const QString address =
            DesktopHarness::startServer(m_bus, "dbus-daemon", {"--session", "--print-address=1"});
        QVERIFY2(!address.isEmpty(), "dbus-daemon");
        qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
        m_shell.moveToThread(&m_shellThread); // the back end's call blocks this thread
        m_shellThread.start();
        QDBusConnection shell = QDBusConnection::connectToBus(address, "shell");
        QVERIFY(shell.registerObject("/PlasmaShell", &m_shell, QDBusConnection::ExportAllSlots) &&
                shell.registerService("org.kde.plasmashell"));
    }

    void cleanupTestCase()
    {
        m_shellThread.quit();
        m_shellThread.wait();
        DesktopHarness::stop(m_bus); // xfconfd leaves with its bus
    }

    void x11RootShowsThePicture_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<QSize>("size");
        QTest::addRow("tile from the top-left") << "Tile" << QSize(5, 3);
        QTest::addRow("centre on black") << "Center" << QSize(6, 4);
        QTest::addRow("centre a larger picture, cropped evenly") << "Center" << QSize(80, 60);
        QTest::addRow("stretch to the screen") << "Stretch" << QSize(32, 24);
    }

    void x11RootShowsThePicture()
    {
        QFETCH(QString, style);
        QFETCH(QSize, size);

        const QImage picture = pattern(size.width(), size.height());
        const ApplyResult result =
            X11RootBackend(m_xvfb.displayName()).apply(bitmap("x11", picture), DesktopHarness::style(style));
        QVERIFY2(result.ok, qPrintable(result.reason));

        Display* display = XOpenDisplay(qPrintable(m_xvfb.displayName()));
        QVERIFY(display != nullptr);
        XImage* shown =
            XGetImage(display, DefaultRootWindow(display), 0, 0, Width, Height, AllPlanes, ZPixmap);
        for (int y = 0; y < Height; ++y) {
            for (int x = 0; x < Width; ++x) {
                const QRgb seen = XGetPixel(shown, x, y), wanted = expectedPixel(style, picture, x, y);
                for (const int shift : {0, 8, 16})
                    QVERIFY2(qAbs(int(seen >> shift & 0xff) - int(wanted >> shift & 0xff)) <=
                                 2, // smooth scaling may blend neighbours
                             qPrintable(QString("pixel %1,%2").arg(x).arg(y)));
            }
        }
        XDestroyImage(shown);
        XCloseDisplay(display);
    }

    void plasmaGetsTheScript_data()
    {
        QTest::addColumn<QString>("folder"); // the file name must stay data whatever it holds
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("expected"); // the fill mode written, or the refusal reported

        const QString rows[][4] = {
            {"Stretch", DesktopHarness::hostileName(), "Stretch", "0"},
            {"Center", "\"); evil(); (\"", "Center", "6"},
            {"Tile", "line\nbreak a\u2028b\u2029c 壁紙", "Tile", "3"},
            {"widgets locked", "locked", "Tile", "Widgets are locked"},
        };
        for (const auto& row : rows)
            QTest::addRow("%s", qPrintable(row[0])) << row[1] << row[2] << row[3];
    }

    void plasmaGetsTheScript()
    {
        QFETCH(QString, folder);
        QFETCH(QString, style);
        QFETCH(QString, expected);

        const bool refused = expected.size() > 1;
        m_shell.refuseWith(refused ? expected : QString());
        const QString picture = bitmap("plasma/" + folder, pattern(4, 4));
        const ApplyResult result = KdePlasmaBackend().apply(picture, DesktopHarness::style(style));
        if (refused) {
            QVERIFY2(!result.ok && result.reason.startsWith("KDE Plasma: ") &&
                         result.reason.contains(expected),
                     qPrintable(result.reason));
            return;
        }
        QVERIFY2(result.ok, qPrintable(result.reason));
        // The name reaches Plasma as the fresh copy's URL, in the script's one string literal.
        const QString script = m_shell.script();
        QCOMPARE(script.count('"'), 2);
        QCOMPARE(QUrl(script.section('"', 1, 1)).toLocalFile(),
                 QFileInfo(picture).absolutePath() + "/tessaly-1.bmp");
        const QString rest = script.section('"', 0, 0) + script.section('"', 2);
        const qsizetype fill = rest.indexOf("writeConfig('FillMode', " + expected + ")");
        QVERIFY2(fill >= 0 && rest.indexOf("writeConfig('Image', ") > fill, qPrintable(script));
        QCOMPARE(QUrl(m_shell.desktops().at(0)["Image"].toString()).toLocalFile(), // the script ran
                 QFileInfo(picture).absolutePath() + "/tessaly-1.bmp");
    }

    void plasmaGivesEachScreenItsPart_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QString>("plasmaScreens"); // as Plasma's screenGeometry() counts them
        // Two monitors in device pixels: Left (0,0 8x10) and the primary, Right (8,4 6x6), lower and smaller.
        QTest::addRow("X11, device pixels") << 1.0 << "[[0, 0, 8, 10], [8, 4, 6, 6]]";
        QTest::addRow("Wayland at scale 2, logical pixels") << 2.0 << "[[0, 0, 4, 5], [4, 2, 3, 3]]";
        QTest::addRow("X11 with Qt's scale 2, device corners") << 2.0 << "[[0, 0, 4, 5], [8, 4, 3, 3]]";
    }

    void plasmaGivesEachScreenItsPart()
    {
        QFETCH(double, ratio);
        QFETCH(QString, plasmaScreens);
        const QRect left(0, 0, 8, 10), right(8, 4, 6, 6);
        const auto monitor = [ratio](const char* name, const QRect& place) {
            return MonitorGeometry{name, place, {place.size() / ratio, ratio, 96, {}}};
        };
        const QList<MonitorGeometry> monitors{monitor("Right", right), monitor("Left", left)};
        // Desktops on screen 1, 0, none (an unplugged monitor's), and one Plasma has no geometry for.
        m_shell.refuseWith({});
        m_shell.setLayout(plasmaScreens, "[1, 0, -1, 5]");
        const QImage desktop = pattern(14, 10);
        const QString folder = QString("plasma-span/%1").arg(QTest::currentDataTag());
        const WallpaperStyle style = WallpaperStyle::Span;
        const ApplyResult result = KdePlasmaBackend().apply(bitmap(folder, desktop), style, monitors);
        QVERIFY2(result.ok, qPrintable(result.reason));
        const auto shown = [this](int desktop) {
            const QJsonObject d = m_shell.desktops().at(desktop).toObject();
            // Stretched onto a monitor of its own size: 1:1.
            const bool stretched = d["wallpaperPlugin"] == "org.kde.image" && d["FillMode"] == 0;
            const QString file = QUrl(d["Image"].toString()).toLocalFile();
            return stretched ? QImage(file).convertToFormat(QImage::Format_RGB32) : QImage();
        };
        QCOMPARE(m_shell.desktops().size(), 4);
        QCOMPARE(shown(0), desktop.copy(right));
        QCOMPARE(shown(1), desktop.copy(left));
        QCOMPARE(shown(2), desktop.copy(right));
        QCOMPARE(shown(3), desktop.copy(right));

        // The next change refused: the part on screen keeps its picture (never rewritten in place).
        m_shell.refuseWith("Widgets are locked");
        QVERIFY(!KdePlasmaBackend().apply(bitmap(folder, pattern(2, 2).scaled(14, 10)), style, monitors).ok);
        QCOMPARE(shown(1), desktop.copy(left));
    }

    void xfceSetsEveryBackdrop()
    {
        // The profile knows one output and its first workspace; a second output has joined since.
        QCOMPARE(QProcess::execute("xfconf-query", {"-c", "xfce4-desktop", "-p",
                                                    "/backdrop/screen0/monitorVirtual1/workspace0/last-image",
                                                    "-n", "-t", "string", "-s", "/old.png"}),
                 0);
        const QString picture = bitmap(DesktopHarness::hostileName() + "/xfce", pattern(4, 4));
        const ApplyResult result =
            XfceDesktopBackend({"Virtual1", "HDMI-2"}).apply(picture, WallpaperStyle::Tile);
        QVERIFY2(result.ok, qPrintable(result.reason));
        // Every backdrop, and no other, holds the tile style and the fresh copy.
        QStringList expected, listed;
        for (const QString output : {"Virtual1", "HDMI-2"}) {
            const QString folder = "/backdrop/screen0/monitor" + output + "/workspace0/";
            expected << folder + "image-style 2"
                     << (folder + "last-image " + QFileInfo(picture).path()).simplified() + "/tessaly-1.bmp";
        }
        for (const QString& line :
             DesktopHarness::run("xfconf-query", {"-c", "xfce4-desktop", "-lv"}).split('\n'))
            listed << line.simplified();
        listed.sort();
        expected.sort();
        QCOMPARE(listed, expected);
    }

    void xfceGivesEachMonitorItsPart()
    {
        // A 1:1 spanned desktop of two monitors side by side, the second smaller and lower.
        const QImage desktop = pattern(7, 5);
        const QString picture = bitmap("xfce-span", desktop);
        const QList<MonitorGeometry> monitors{{"Left", QRect(0, 0, 4, 5), {}},
                                              {"Right", QRect(4, 2, 3, 3), {}}};
        const ApplyResult result =
            XfceDesktopBackend({"Left"}).apply(picture, WallpaperStyle::Span, monitors);
        QVERIFY2(result.ok, qPrintable(result.reason));
        for (const MonitorGeometry& monitor : monitors) {
            const QString folder = "/backdrop/screen0/monitor" + monitor.name + "/workspace0/";
            QCOMPARE(
                DesktopHarness::run("xfconf-query", {"-c", "xfce4-desktop", "-p", folder + "image-style"})
                    .trimmed(),
                "3");
            const QString shown =
                DesktopHarness::run("xfconf-query", {"-c", "xfce4-desktop", "-p", folder + "last-image"})
                    .trimmed();
            QCOMPARE(QImage(shown).convertToFormat(QImage::Format_RGB32), desktop.copy(monitor.place));
        }
    }

    void keepsOnlyTheCopiesOnScreen_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addRow("KDE") << "kde";
        QTest::addRow("XFCE") << "xfce";
    }

    void keepsOnlyTheCopiesOnScreen()
    {
        QFETCH(QString, backend);
        m_shell.refuseWith({});
        const QList<MonitorGeometry> monitors{{"Left", QRect(0, 0, 4, 5), {}},
                                              {"Right", QRect(4, 2, 3, 3), {}}};
        const std::unique_ptr<DesktopBackend> desktop =
            backend == "kde" ? std::unique_ptr<DesktopBackend>(new KdePlasmaBackend())
                             : std::make_unique<XfceDesktopBackend>(QStringList{"Left"});
        const QRect desktopPlace = monitors.constFirst().place | monitors.constLast().place;
        QStringList left;
        for (const bool spanned : {false, true, false}) {
            const QSize size = spanned ? desktopPlace.size() : QSize(4, 5);
            const QString picture = bitmap("copies-" + backend, pattern(size.width(), size.height()));
            const ApplyResult result =
                desktop->apply(picture, spanned ? WallpaperStyle::Span : WallpaperStyle::Stretch,
                               spanned ? monitors : QList<MonitorGeometry>());
            QVERIFY2(result.ok, qPrintable(result.reason));
            left << QDir(QFileInfo(picture).absolutePath())
                        .entryList({"tessaly-*"}, QDir::Files, QDir::Name)
                        .join(' ');
        }
        // The copies left after each change: one monitor, two, one.
        QCOMPARE(left.join('|'), "tessaly-1.bmp|tessaly-Left-2.bmp tessaly-Right-2.bmp|tessaly-3.bmp");
    }

private:
    QString bitmap(const QString& folder, const QImage& image) const
    {
        return DesktopHarness::writeBitmap(m_dir.filePath(folder + "/tessaly.bmp"), image);
    }

    QTemporaryDir m_dir;
    XvfbServer m_xvfb;
    QProcess m_bus;
    QThread m_shellThread;
    FakePlasmaShell m_shell;
};

QTEST_GUILESS_MAIN(tst_RealDesktops)
#include "tst_RealDesktops.moc"
