// SPDX-License-Identifier: GPL-3.0-or-later
#include "XvfbServer.h"
#include "platform/desktop/X11RootBackend.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <optional>

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

int g_lastError = 0;
int recordError(Display*, XErrorEvent* event)
{
    g_lastError = event->error_code;
    return 0;
}

/** A picture whose every pixel differs, so a misplaced tile or offset shows. */
QImage pattern(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(10 + 3 * x, 20 + 4 * y, 200 - x - y));
    return image;
}

QImage tiled(const QImage& picture)
{
    QImage screen(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            screen.setPixel(x, y, picture.pixel(x % picture.width(), y % picture.height()));
    return screen;
}

QImage centred(const QImage& picture)
{
    QImage screen(kWidth, kHeight, QImage::Format_RGB32);
    screen.fill(Qt::black);
    const int left = (kWidth - picture.width()) / 2;
    const int top = (kHeight - picture.height()) / 2;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (picture.valid(x - left, y - top))
                screen.setPixel(x, y, picture.pixel(x - left, y - top));
    return screen;
}

QImage quadrants()
{
    const QRgb colours[2][2] = {{qRgb(255, 0, 0), qRgb(0, 255, 0)}, {qRgb(0, 0, 255), qRgb(255, 255, 0)}};
    QImage image(16, 12, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, colours[y * 2 / image.height()][x * 2 / image.width()]);
    return image;
}

QImage quadrantsStretched()
{
    QImage screen(kWidth, kHeight, QImage::Format_RGB32);
    const QImage source = quadrants();
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            screen.setPixel(x, y, source.pixel(x * source.width() / kWidth, y * source.height() / kHeight));
    return screen;
}

bool near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) <= 2 && qAbs(qGreen(a) - qGreen(b)) <= 2 && qAbs(qBlue(a) - qBlue(b)) <= 2;
}

} // namespace

class tst_X11RootBackend : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void drawsEachStyle_data();
    void drawsEachStyle();
    void leavesAForeignPixmapOwnerAlone();
    void reportsFailures_data();
    void reportsFailures();

private:
    QString writeBitmap(const QString& name, const QImage& image);
    std::optional<Pixmap> atom(const char* name);
    bool pixmapExists(Pixmap pixmap);
    QImage rootPixels();

    XvfbServer m_server;
    Display* m_display = nullptr;
    QTemporaryDir m_dir;
};

void tst_X11RootBackend::initTestCase()
{
    const QString error = m_server.start(kWidth, kHeight);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    m_display = XOpenDisplay(m_server.displayName().toLatin1().constData());
    QVERIFY(m_display != nullptr);
    XSetErrorHandler(recordError);
    QVERIFY(m_dir.isValid());
}

void tst_X11RootBackend::cleanupTestCase()
{
    if (m_display != nullptr)
        XCloseDisplay(m_display);
}

QString tst_X11RootBackend::writeBitmap(const QString& name, const QImage& image)
{
    const QString path = m_dir.filePath(name);
    if (!image.save(path, "BMP"))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

std::optional<Pixmap> tst_X11RootBackend::atom(const char* name)
{
    const Atom property = XInternAtom(m_display, name, False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::optional<Pixmap> result;
    if (XGetWindowProperty(m_display, DefaultRootWindow(m_display), property, 0, 1, False, XA_PIXMAP, &type,
                           &format, &count, &remaining, &data) == Success &&
        type == XA_PIXMAP && count == 1)
        result = *reinterpret_cast<Pixmap*>(data);
    if (data != nullptr)
        XFree(data);
    return result;
}

bool tst_X11RootBackend::pixmapExists(Pixmap pixmap)
{
    Window root = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    g_lastError = 0;
    const Status status = XGetGeometry(m_display, pixmap, &root, &x, &y, &width, &height, &border, &depth);
    XSync(m_display, False);
    return status != 0 && g_lastError == 0 && width == kWidth && height == kHeight;
}

QImage tst_X11RootBackend::rootPixels()
{
    XImage* image =
        XGetImage(m_display, DefaultRootWindow(m_display), 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
    QImage result(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            result.setPixel(x, y, 0xff000000u | (XGetPixel(image, x, y) & 0xffffffu));
    XDestroyImage(image);
    return result;
}

void tst_X11RootBackend::drawsEachStyle_data()
{
    QTest::addColumn<QString>("style");
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<QString>("styleAfter");
    QTest::addColumn<QImage>("expected");
    QTest::addColumn<bool>("awayFromEdges"); // smooth scaling blends where the source pixels meet

    const QImage small = pattern(5, 3);
    QTest::addRow("tile from the top-left, partial tiles at the edges")
        << "Tile" << small << "Tile" << tiled(small) << false;
    QTest::addRow("centre on black") << "Center" << pattern(6, 4) << "Center" << centred(pattern(6, 4))
                                     << false;
    QTest::addRow("centre a larger picture, cropped evenly")
        << "Center" << pattern(80, 60) << "Center" << centred(pattern(80, 60)) << false;
    QTest::addRow("stretch to the screen")
        << "Stretch" << quadrants() << "Stretch" << quadrantsStretched() << true;
    // What a stretched change makes: read straight into the server's pixels.
    QTest::addRow("screen-sized, as it is")
        << "Stretch" << pattern(kWidth, kHeight) << "Stretch" << pattern(kWidth, kHeight) << false;
    QTest::addRow("unknown word stretches")
        << "center" << quadrants() << "Stretch" << quadrantsStretched() << true;
}

void tst_X11RootBackend::drawsEachStyle()
{
    QFETCH(QString, style);
    QFETCH(QImage, picture);
    QFETCH(QString, styleAfter);
    QFETCH(QImage, expected);
    QFETCH(bool, awayFromEdges);

    // Each row follows the last one's wallpaper, whose pixmap the server must not keep.
    const std::optional<Pixmap> previous = atom("_XROOTPMAP_ID");
    X11RootBackend backend(m_server.displayName());
    const ApplyResult result = backend.apply(writeBitmap(QStringLiteral("tessaly.bmp"), picture), style);
    QVERIFY2(result.ok, qPrintable(result.reason));
    QCOMPARE(style, styleAfter);

    const QImage shown = rootPixels();
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (awayFromEdges && (qAbs(x - kWidth / 2) < 6 || qAbs(y - kHeight / 2) < 6))
                continue;
            if (!near(shown.pixel(x, y), expected.pixel(x, y)))
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is %3, expected %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(shown.pixel(x, y), 8, 16)
                                     .arg(expected.pixel(x, y), 8, 16)));
        }
    }

    const auto published = atom("_XROOTPMAP_ID");
    QVERIFY(published.has_value());
    QCOMPARE(atom("ESETROOT_PMAP_ID"), published);
    QVERIFY(pixmapExists(*published));
    if (previous.has_value()) {
        QVERIFY(*previous != *published);
        QVERIFY2(!pixmapExists(*previous), "the previous wallpaper's pixmap is still held by the server");
    }
}

void tst_X11RootBackend::leavesAForeignPixmapOwnerAlone()
{
    // A program that publishes only _XROOTPMAP_ID owns its pixmap on a live connection: killing the
    // owner of that pixmap would end the program.
    Display* other = XOpenDisplay(m_server.displayName().toLatin1().constData());
    QVERIFY(other != nullptr);
    const Window root = DefaultRootWindow(other);
    const Pixmap foreign =
        XCreatePixmap(other, root, kWidth, kHeight, DefaultDepth(other, DefaultScreen(other)));
    XChangeProperty(other, root, XInternAtom(other, "_XROOTPMAP_ID", False), XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&foreign), 1);
    XDeleteProperty(other, root, XInternAtom(other, "ESETROOT_PMAP_ID", False));
    XSync(other, False);

    X11RootBackend backend(m_server.displayName());
    QString style = QStringLiteral("Center");
    const ApplyResult result = backend.apply(writeBitmap(QStringLiteral("c.bmp"), pattern(2, 2)), style);
    QVERIFY2(result.ok, qPrintable(result.reason));

    QVERIFY2(pixmapExists(foreign), "the client that owned the previous root pixmap was killed");
    XCloseDisplay(other);
}

void tst_X11RootBackend::reportsFailures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("noDisplay");
    QTest::addColumn<QString>("reasonHas");

    QTest::addRow("missing bitmap") << "missing.bmp" << false << "missing.bmp";
    QTest::addRow("not a picture") << "garbage.bmp" << false << "garbage.bmp";
    QTest::addRow("no X server") << "good.bmp" << true << "cannot open the X display";
}

void tst_X11RootBackend::reportsFailures()
{
    QFETCH(QString, file);
    QFETCH(bool, noDisplay);
    QFETCH(QString, reasonHas);

    QFile garbage(m_dir.filePath(QStringLiteral("garbage.bmp")));
    QVERIFY(garbage.open(QIODevice::WriteOnly) && garbage.write("BM this is not a bitmap") > 0);
    garbage.close();
    writeBitmap(QStringLiteral("good.bmp"), pattern(2, 2));

    int unused = 900;
    while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(unused)))
        ++unused;
    const QString display = noDisplay ? QStringLiteral(":%1").arg(unused) : m_server.displayName();
    const auto before = atom("_XROOTPMAP_ID");

    X11RootBackend backend(display);
    QString style = QStringLiteral("Stretch");
    const ApplyResult result = backend.apply(m_dir.filePath(file), style);
    QVERIFY(!result.ok);
    QVERIFY2(result.reason.startsWith(QLatin1String("X11 root window")), qPrintable(result.reason));
    QVERIFY2(result.reason.contains(reasonHas), qPrintable(result.reason));
    QCOMPARE(atom("_XROOTPMAP_ID"), before);
}

QTEST_GUILESS_MAIN(tst_X11RootBackend)
#include "tst_X11RootBackend.moc"
