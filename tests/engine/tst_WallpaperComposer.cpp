// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Settings.h"
#include "engine/BitmapWriter.h"
#include "engine/PictureLoader.h"
#include "engine/WallpaperComposer.h"
#include "platform/PosixFileSystem.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <sys/stat.h>

namespace {

const QRgb R = qRgb(255, 0, 0), B = qRgb(0, 128, 255), G = qRgb(0, 255, 0), Y = qRgb(255, 255, 0),
           White = qRgb(255, 255, 255);

/** Quadrants red, blue / green, yellow: each corner of a placed picture can be told apart. */
QImage quadrants(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y,
                           y < size.height() / 2 ? (x < size.width() / 2 ? R : B)
                                                 : (x < size.width() / 2 ? G : Y));
    return image;
}

QByteArray encoded(const QImage& image, const char* format)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(95);
    if (!writer.write(image))
        qFatal("cannot encode a picture");
    return buffer.data();
}

/** The picture as a JPEG of quality 95, with an APP1 segment holding only an EXIF orientation. */
QByteArray jpeg(const QImage& image, quint16 orientation = 1)
{
    // Big-endian TIFF: one entry, Orientation, SHORT, count 1, the value, padding, no next directory.
    const QByteArray payload = QByteArray("Exif\0\0MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01", 24) +
                               char(orientation >> 8) + char(orientation & 0xff) + QByteArray(6, '\0');
    const int length = int(payload.size()) + 2;
    return encoded(image, "jpeg")
        .insert(2, QByteArray("\xff\xe1", 2) + char(length >> 8) + char(length & 0xff) + payload);
}

/** As the settings file holds them: black 20-point letters. */
Settings stored(double displayType, double onOffCaption, double position)
{
    Settings s;
    s.displayType = QString::number(displayType);
    s.onOffCaption = QString::number(onOffCaption);
    s.captionPosition = QString::number(position);
    s.newFontName = QStringLiteral("DejaVu Sans");
    s.newFontSize = QStringLiteral("20");
    s.newFontBold = s.newFontItalic = s.newFontUnderline = s.newFontFontStrikethru = QStringLiteral("False");
    s.newFontForeColor = QStringLiteral("0");
    return s;
}

QImage compose(const Settings& s, QSize screen, const QImage& picture, const QString& caption,
               double ratio = 1, QRect available = QRect())
{
    return WallpaperComposer(ScreenGeometry{screen, ratio, 96.0, available},
                             *CompositionSettings::fromSettings(s))
        .compose(picture, caption);
}

/** One line of 20-point DejaVu Sans at 96 dpi, worked out here rather than by the composer. */
int linePixels(double ratio = 1)
{
    QImage device(1, 1, QImage::Format_RGB32);
    device.setDotsPerMeterX(qRound(96 / 0.0254));
    device.setDotsPerMeterY(qRound(96 / 0.0254));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(20);
    return int(std::lround(QFontMetricsF(font, &device).height() * ratio));
}

template<class Ink> QRect bounds(const QImage& image, Ink ink)
{
    QRect found;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (ink(image.pixel(x, y)))
                found |= QRect(x, y, 1, 1);
    return found;
}

const auto dark = [](QRgb pixel) {
    return qGray(pixel) < 64;
};

void save(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

} // namespace

class tst_WallpaperComposer : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void centredCanvas_data()
    {
        QTest::addColumn<double>("onOff");
        QTest::addColumn<double>("position");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<int>("strip"); // 0 none, 1 on top, 2 below
        QTest::addRow("single space gives no strip") << 1.0 << 0.0 << " " << QSize(300, 200) << 1.0 << 0;
        QTest::addRow("placement 2 is no strip") << 2.0 << 2.0 << "Hills" << QSize(300, 200) << 1.0 << 0;
        QTest::addRow("strip on top") << 1.0 << 1.0 << "Hills" << QSize(300, 200) << 1.0 << 1;
        QTest::addRow("strip below, ratio 2") << 1.0 << 2.0 << "Hills" << QSize(300, 200) << 2.0 << 2;
        // What the desktop would show of it: the middle, the size of the screen.
        QTest::addRow("larger than the screen") << 0.0 << 0.0 << "" << QSize(1000, 700) << 1.0 << 0;
    }
    void centredCanvas()
    {
        QFETCH(double, onOff);
        QFETCH(double, position);
        QFETCH(QString, caption);
        QFETCH(QSize, picture);
        QFETCH(double, ratio);
        QFETCH(int, strip);
        const int s = strip ? linePixels(ratio) : 0;
        const QImage out =
            compose(stored(1, onOff, position), QSize(800, 600), quadrants(picture), caption, ratio);
        const QSize shown = picture.boundedTo(QSize(800, 600) * ratio);
        QCOMPARE(out.size(), QSize(shown.width(), shown.height() + s));
        const int top = strip == 1 ? s : 0;
        QCOMPARE(out.pixel(0, top), R);
        QCOMPARE(out.pixel(shown.width() - 1, top + shown.height() - 1), Y);
        QCOMPARE(out.pixel(shown.width() / 2 - 1, top + shown.height() / 2 - 1), R);
        QCOMPARE(out.pixel(shown.width() / 2, top + shown.height() / 2), Y);
    }

    void shownPixelForPixel_data()
    {
        QTest::addColumn<double>("displayType");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QSize>("expectedSize");
        QTest::addRow("centred, ratio 2") << 1.0 << 2.0 << QSize(31, 20);
        QTest::addRow("tiled, ratio 1") << 2.0 << 1.0 << QSize(200, 150);
        QTest::addRow("tiled, ratio 2") << 2.0 << 2.0 << QSize(400, 300);
    }
    void shownPixelForPixel()
    {
        QFETCH(double, displayType);
        QFETCH(double, ratio);
        QFETCH(QSize, expectedSize);
        // A one-pixel checkerboard: any scaling or shift shows.
        const auto checker = [](int x, int y) {
            return (x + y) % 2 ? B : R;
        };
        QImage picture(31, 20, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, checker(x, y));
        const QImage out = compose(stored(displayType, 0, 0), QSize(200, 150), picture, QString(), ratio);
        QCOMPARE(out.size(), expectedSize);
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x)
                if (out.pixel(x, y) != checker(x % 31, y % 20))
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
    }

    void seeThroughPartsShowWhite()
    {
        QImage picture(2, 1, QImage::Format_ARGB32);
        picture.setPixel(0, 0, qRgba(0, 0, 0, 0));
        picture.setPixel(1, 0, qRgba(255, 0, 0, 128));
        const QImage out = compose(stored(1, 0, 0), QSize(800, 600), picture, QString());
        QCOMPARE(out.pixel(0, 0), White);
        QVERIFY(qAbs(qGreen(out.pixel(1, 0)) - 127) <= 1 && qRed(out.pixel(1, 0)) == 255);
    }

    void captionInsideTheWorkArea_data()
    {
        QTest::addColumn<double>("displayType");
        QTest::addColumn<double>("onOff");
        QTest::addColumn<double>("position");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QSize>("picture");
        const QRect bottomPanel(0, 0, 800, 560);
        QTest::addRow("stretched, strip above a bottom panel")
            << 0.0 << 1.0 << 2.0 << bottomPanel << QSize(40, 30);
        QTest::addRow("stretched, on the picture") << 0.0 << 0.0 << 2.0 << bottomPanel << QSize(40, 30);
        QTest::addRow("tiled, strip below a top bar")
            << 2.0 << 1.0 << 0.0 << QRect(0, 30, 800, 570) << QSize(256, 256);
        QTest::addRow("centred full screen, strip above a bottom panel")
            << 1.0 << 1.0 << 2.0 << bottomPanel << QSize(800, 600);
        QTest::addRow("right top beside a right panel")
            << 0.0 << 0.0 << 1.0 << QRect(0, 0, 740, 600) << QSize(40, 30);
    }
    void captionInsideTheWorkArea()
    {
        QFETCH(double, displayType);
        QFETCH(double, onOff);
        QFETCH(double, position);
        QFETCH(QRect, available);
        QFETCH(QSize, picture);
        const QImage out = compose(stored(displayType, onOff, position), QSize(800, 600), quadrants(picture),
                                   QStringLiteral("Hills"), 1, available);
        QCOMPARE(out.size(), QSize(800, 600));
        const QRect ink = bounds(out, dark);
        QVERIFY(available.contains(ink));
        const int line = linePixels();
        const bool onTop = position != 2;
        QVERIFY(onTop ? ink.top() - available.top() <= line / 2
                      : available.bottom() - ink.bottom() <= line / 2);
        if (position == 1) // 100 twips from the right edge: about 7 pixels
            QVERIFY(available.right() - ink.right() >= 6 && available.right() - ink.right() <= 10);
        if (onOff != 1)
            return;
        // The strip and the band under the panel stay white; the picture comes right up to the strip.
        const int stripEdge = onTop ? available.top() + line : available.bottom() + 1 - line;
        QCOMPARE(out.pixel(2, onTop ? 2 : 598), White);
        QCOMPARE(out.pixel(2, onTop ? stripEdge - 1 : stripEdge), White);
        QCOMPARE(out.pixel(2, onTop ? stripEdge : stripEdge - 1), onTop ? R : G);
    }

    void captionAsTheSettingsSay_data()
    {
        QTest::addColumn<QString>("foreColor");
        QTest::addColumn<QRgb>("ink");
        QTest::addColumn<double>("position");
        QTest::addColumn<QString>("italic");
        QTest::addColumn<QString>("underline");
        const auto row = [](const char* name, const char* colour, QRgb ink, double position,
                            const char* italic, const char* underline) {
            QTest::addRow("%s", name) << colour << ink << position << italic << underline;
        };
        // Stored as red + 256 * green + 65536 * blue.
        row("red, centre top, italic", "255", qRgb(255, 0, 0), 0, "True", "False");
        row("blue, right top, underline", "16711680", qRgb(0, 0, 255), 1, "0", "-1");
        row("mixed, bottom", "3368601", qRgb(0x99, 0x66, 0x33), 2, "False", "False");
        row("position 5 is the bottom", "65280", qRgb(0, 255, 0), 5, "False", "False");
    }
    void captionAsTheSettingsSay()
    {
        QFETCH(QString, foreColor);
        QFETCH(QRgb, ink);
        QFETCH(double, position);
        QFETCH(QString, italic);
        QFETCH(QString, underline);
        Settings s = stored(0, 0, position);
        s.newFontForeColor = foreColor;
        s.newFontBold = QStringLiteral("True");
        s.newFontItalic = italic;
        s.newFontUnderline = underline;
        const QFont font = CompositionSettings::fromSettings(s)->font.font;
        QCOMPARE(font.italic(), italic == "True");
        QCOMPARE(font.underline(), underline == "-1");
        QImage white(10, 10, QImage::Format_RGB32);
        white.fill(White);
        const QImage out = compose(s, QSize(800, 600), white, QStringLiteral("IIII"));
        const QRect where = bounds(out, [](QRgb p) { return p != White; });
        // The stems of bold letters hold pixels of the pure colour.
        QVERIFY(!bounds(out.copy(where), [ink](QRgb p) { return p == ink; }).isEmpty());
        QVERIFY(position == 0 || position == 1 ? where.bottom() < linePixels()
                                               : where.top() >= 600 - linePixels());
        if (position == 1)
            QVERIFY(800 - where.right() >= 6 && 800 - where.right() <= 10);
        else // 50 twips left of the middle
            QVERIFY2(qAbs(where.center().x() - (800 - 100 / 15.0) / 2) <= 3,
                     qPrintable(QString::number(where.center().x())));
    }

    void captionKeepsItsPhysicalSizeOnHiDpi()
    {
        QImage picture(10, 10, QImage::Format_RGB32);
        picture.fill(White);
        const QImage single = compose(stored(0, 0, 0), QSize(400, 300), picture, QStringLiteral("H"), 1);
        const QImage doubled = compose(stored(0, 0, 0), QSize(400, 300), picture, QStringLiteral("H"), 2);
        QCOMPARE(doubled.size(), QSize(800, 600));
        const int height = bounds(single, dark).height();
        QVERIFY(height > 10);
        QVERIFY(qAbs(bounds(doubled, dark).height() - 2 * height) <= 2);
    }

    void onlyTheSeenPartIsDecodedUpright_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("fromCentre");
        QTest::addColumn<QSize>("clipTo");
        QTest::addColumn<QSize>("expectedSize");
        QTest::addColumn<QList<QRgb>>("corners");
        QTest::addRow("middle") << 1 << true << QSize(64, 32) << QSize(64, 32) << QList<QRgb>{R, B, G, Y};
        QTest::addRow("half turn, top-left")
            << 3 << false << QSize(40, 20) << QSize(40, 20) << QList<QRgb>{Y, Y, Y, Y};
        QTest::addRow("three quarters, top-left")
            << 8 << false << QSize(40, 40) << QSize(40, 40) << QList<QRgb>{B, B, B, B};
        QTest::addRow("quarter turn, smaller than the view")
            << 6 << true << QSize(500, 500) << QSize(80, 160) << QList<QRgb>{G, R, Y, B};
    }
    void onlyTheSeenPartIsDecodedUpright()
    {
        QFETCH(int, orientation);
        QFETCH(bool, fromCentre);
        QFETCH(QSize, clipTo);
        QFETCH(QSize, expectedSize);
        QFETCH(QList<QRgb>, corners);
        const QString path = m_dir.filePath(QStringLiteral("turned.jpg"));
        save(path, jpeg(quadrants(QSize(160, 80)), quint16(orientation)));
        const QImage shown = PictureLoader::load(path, PictureView{QSize(), clipTo, fromCentre});
        QCOMPARE(shown.size(), expectedSize);
        const int w = shown.width() - 5, h = shown.height() - 5;
        const QPoint points[] = {{4, 4}, {w, 4}, {4, h}, {w, h}};
        for (int i = 0; i < 4; ++i) {
            const QRgb seen = shown.pixel(points[i]), want = corners[i];
            QVERIFY(qAbs(qRed(seen) - qRed(want)) + qAbs(qGreen(seen) - qGreen(want)) +
                        qAbs(qBlue(seen) - qBlue(want)) <
                    120);
        }
    }

    void stripsGiveThePlainPixels_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("cut");
        QTest::addColumn<bool>("inStrips");
        QTest::addColumn<QString>("caption"); // in a strip of its own, which the picture leaves white
        const auto row = [](const char* name, QSize picture, int orientation, bool cut, bool inStrips,
                            const char* caption) {
            QTest::addRow("%s", name) << picture << orientation << cut << inStrips << caption;
        };
        row("decoded whole, caption strip", {1001, 707}, 1, false, true, "Hills");
        row("decoded reduced", {1700, 1000}, 1, false, true, "");
        row("half turn", {1001, 707}, 3, false, false, "");
        row("cut short", {1001, 707}, 1, true, false, "");
    }
    void stripsGiveThePlainPixels()
    {
        QFETCH(QSize, picture);
        QFETCH(int, orientation);
        QFETCH(bool, cut);
        QFETCH(bool, inStrips);
        QFETCH(QString, caption);
        // Gradients under a fine pattern, so that every decoder stage (upsampling, DCT, colour) shows.
        QImage image(picture, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                image.setPixel(
                    x, y, qRgb(x * 255 / picture.width(), y * 255 / picture.height(), (x * x + y * y) % 251));
        QByteArray bytes = jpeg(image, quint16(orientation));
        if (cut)
            bytes.truncate(30000);
        const QString path = m_dir.filePath(QStringLiteral("strips.jpg"));
        save(path, bytes);
        const QSize screen(640, 480);
        QImage canvas(screen, QImage::Format_RGB32);
        QCOMPARE(PictureLoader::shrinkInto(path, canvas, canvas.rect()), inStrips);
        // The plain way: Qt's own reader, then the composer.
        CompositionSettings settings;
        settings.onOffCaption = 1;
        const WallpaperComposer composer(ScreenGeometry{screen, 1.0, 96.0, {}}, settings);
        const QImage plain = composer.compose(PictureLoader::load(path, composer.view(caption)), caption);
        const std::optional<QImage> composed = composer.composeFile(path, caption);
        QVERIFY(composed && !plain.isNull());
        QVERIFY(*composed == plain);
    }

    void picturesAreReadByContent_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason"); // words the reason must hold; empty when the picture loads
        const auto file = [this](const char* name, const QByteArray& bytes) {
            save(m_dir.filePath(QLatin1String(name)), bytes);
            return m_dir.filePath(QLatin1String(name));
        };
        QTest::addRow("DIB") << file("photo.dib", encoded(quadrants(QSize(16, 8)), "bmp")) << QString();
        QTest::addRow("PNG named .jpg")
            << file("photo.jpg", encoded(quadrants(QSize(16, 8)), "png")) << QString();
        QTest::addRow("text") << file("text.jpg", "not a picture") << QStringLiteral("not a picture");
        // Opening a pipe for reading waits for a writer: a picture list naming one hung at start.
        const QString pipe = m_dir.filePath(QStringLiteral("pipe.jpg"));
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        QTest::addRow("named pipe") << pipe << QStringLiteral("named pipe");
        QTest::addRow("endless device") << QStringLiteral("/dev/zero") << QStringLiteral("device");
        // Little more than a header: 20000 x 20000 pixels, 1.6 GB decoded, which Qt can neither cut nor
        // shrink.
        const QByteArray gif("GIF89a\x20\x4e\x20\x4e\0\0\0,\0\0\0\0\x20\x4e\x20\x4e\0\x08\0;", 26);
        QTest::addRow("huge, refused before decoding")
            << file("huge.gif", gif) << QStringLiteral("20000 x 20000");
    }
    void picturesAreReadByContent()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        QString given;
        const QImage read = PictureLoader::load(path, PictureView{QSize(), QSize(800, 600), true}, &given);
        QVERIFY2(given.contains(reason), qPrintable(given));
        QCOMPARE(read.size(), reason.isEmpty() ? QSize(16, 8) : QSize(0, 0));
        if (reason.isEmpty())
            QVERIFY(read.pixel(2, 2) == R && read.pixel(13, 2) == B && read.pixel(13, 6) == Y);
    }

    void bitmapBytes()
    {
        // Width 3 needs row padding; the colours catch swapped channels and flipped rows.
        QImage image(3, 2, QImage::Format_RGB32);
        const QRgb colours[] = {R, G, qRgb(0, 0, 255), qRgb(10, 20, 30), qRgb(200, 100, 50), White};
        for (int i = 0; i < 6; ++i)
            image.setPixel(i % 3, i / 3, colours[i]);
        const QString path = m_dir.filePath(QStringLiteral("tessaly.bmp"));
        QVERIFY(BitmapWriter::write(image, path, PosixFileSystem::instance()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const auto le32 = [&bytes](int at) {
            return qFromLittleEndian<qint32>(bytes.constData() + at);
        };
        QCOMPARE(bytes.left(2), QByteArray("BM"));
        QCOMPARE(le32(2), 54 + 2 * 12); // file size
        QCOMPARE(le32(10), 54);         // pixels offset
        QCOMPARE(le32(18), 3);          // width
        QCOMPARE(le32(22), 2);          // height, positive: bottom row first
        QCOMPARE(int(bytes[28]), 24);
        // Blue, green, red per pixel, each row padded to 4 bytes; the bottom row comes first.
        QCOMPARE(bytes.mid(54), QByteArray("\x1e\x14\x0a\x32\x64\xc8\xff\xff\xff\0\0\0"
                                           "\0\0\xff\0\xff\0\xff\0\0\0\0\0",
                                           24));
    }
};

QTEST_MAIN(tst_WallpaperComposer)
#include "tst_WallpaperComposer.moc"
