// SPDX-License-Identifier: GPL-3.0-or-later
// The path every picture larger than the screen takes: the area scaler, the JPEG strips that feed it and
// the bitmap it is written to, held to an area average worked out here, over Qt's own decode.
#include "AreaScaler.h"
#include "BitmapWriter.h"
#include "NativeFileSystem.h"
#include "PictureLoader.h"
#include "TestPictures.h"
#include "WallpaperComposer.h"

#include <QFontMetricsF>
#include <QImageReader>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QRgb White = qRgb(255, 255, 255), Fill = qRgb(1, 2, 3);

/** Scaling `source` pixels, checkered in `block`s or noise where block is 0, into `target` of a canvas. */
struct Shrink
{
    QSize source;
    int block;
    QSize canvas;
    QRect target;
    int tolerance;
};

/**
 * A JPEG on a 640 x 480 screen, which the streamed decode takes (inStrips) or leaves to the plain one,
 * decoded by Qt at `decoded` (invalid: its own size), with its caption in a band of its own (onOff 1)
 * or over the picture, inside the work area. Noise, or pure blocks at quality 100 where block is set.
 */
struct Strips
{
    QSize picture;
    quint16 orientation;
    bool cut, inStrips;
    QSize decoded;
    QString caption;
    double onOff = 1, position = 2;
    QRect available = {};
    int block = 0;
};

/** Blocks of `block` pixels in a checker of pure red, green, blue and white; noise where block is 0. */
QImage picture(QSize size, int block)
{
    const QRgb colours[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), White};
    QRandomGenerator noise(7);
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y,
                           block > 0 ? colours[(x / block) % 2 + 2 * ((y / block) % 2)]
                                     : noise.generate() | 0xff000000u);
    return image;
}

/** The rows of the caption's line at the work area's edge, as `font` measures at 96 dpi. */
QRect captionRows(const Strips& c, const QFont& font, QSize screen)
{
    QImage device(1, 1, QImage::Format_RGB32);
    device.setDotsPerMeterX(3780);
    device.setDotsPerMeterY(3780);
    const int line = int(std::lround(QFontMetricsF(font, &device).height()));
    const QRect area = c.available.isEmpty() ? QRect(QPoint(), screen) : c.available;
    return QRect(0, c.position == 0 || c.position == 1 ? area.top() : area.bottom() + 1 - line,
                 screen.width(), line);
}

/** What a canvas filled with `fill` shows once `reference` is painted at `target`. */
QImage placed(QSize canvas, QRgb fill, const QRect& target, const QImage& reference)
{
    QImage image(canvas, QImage::Format_RGB32);
    image.fill(fill);
    QPainter(&image).drawImage(target.topLeft(), reference);
    return image;
}

/** A 24-bit bitmap file of `image` as the format lays it out: bottom row first, B G R, rows padded. */
QByteArray bitmapOf(const QImage& image)
{
    const quint32 w = image.width(), h = image.height(), stride = (3 * w + 3) / 4 * 4;
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    // File header: "BM", size, reserved, where the pixels start; info header: its size, width, height
    // (positive: bottom-up), planes, bits, no compression, pixel bytes, resolution, no palette.
    out << quint16(0x4d42) << 54 + stride * h << 0u << 54u << 40u << w << h << quint16(1) << quint16(24) << 0u
        << stride * h << image.dotsPerMeterX() << image.dotsPerMeterY() << 0u << 0u;
    for (int y = int(h) - 1; y >= 0; --y) {
        for (int x = 0; x < int(w); ++x)
            out << quint8(qBlue(image.pixel(x, y))) << quint8(qGreen(image.pixel(x, y)))
                << quint8(qRed(image.pixel(x, y)));
        for (quint32 pad = 3 * w; pad < stride; ++pad)
            out << quint8(0);
    }
    return bytes;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

Q_DECLARE_METATYPE(Shrink)
Q_DECLARE_METATYPE(Strips)

class tst_ShrinkPath : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void scalerGivesTheAreaAverage_data()
    {
        QTest::addColumn<Shrink>("c");
        // Each target pixel inside one block: the pure colour, to the level.
        QTest::addRow("blocks by a whole factor") << Shrink{{64, 64}, 16, {8, 8}, {0, 0, 8, 8}, 0};
        QTest::addRow("blocks by 2.74 and 2.96") << Shrink{{96, 80}, 16, {35, 27}, {0, 0, 35, 27}, 2};
        QTest::addRow("noise by a whole factor") << Shrink{{48, 33}, 0, {16, 11}, {0, 0, 16, 11}, 2};
        QTest::addRow("noise by 2.73 and 2.66") << Shrink{{101, 77}, 0, {37, 29}, {0, 0, 37, 29}, 2};
        QTest::addRow("2.5 across, one row") << Shrink{{5, 3}, 0, {2, 1}, {0, 0, 2, 1}, 2};
        QTest::addRow("one column") << Shrink{{9, 40}, 0, {1, 7}, {0, 0, 1, 7}, 2};
        QTest::addRow("its own size") << Shrink{{13, 7}, 0, {13, 7}, {0, 0, 13, 7}, 0};
        QTest::addRow("margins left alone") << Shrink{{50, 45}, 4, {26, 19}, {3, 2, 20, 15}, 2};
        QTest::addRow("cut by the canvas on every side")
            << Shrink{{90, 60}, 0, {32, 32}, {-5, -4, 40, 45}, 2};
    }
    void scalerGivesTheAreaAverage()
    {
        QFETCH(Shrink, c);
        const QImage source = picture(c.source, c.block);
        QImage canvas(c.canvas, QImage::Format_RGB32);
        canvas.fill(Fill);
        AreaScaler::shrinkInto(source, canvas, c.target);
        const QImage expected =
            placed(c.canvas, Fill, c.target, TestPictures::areaAverage(source, c.target.size()));
        const QString wrong = TestPictures::mismatch(canvas, expected, c.tolerance);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    }

    void stripsGiveTheAreaAverage_data()
    {
        QTest::addColumn<Strips>("c");
        const QSize odd(1001, 707), large(1700, 1000), half(850, 500);
        QTest::addRow("decoded whole, caption band") << Strips{odd, 1, false, true, {}, "Hills"};
        QTest::addRow("caption band at the top") << Strips{odd, 1, false, true, {}, "Hills", 1, 0};
        QTest::addRow("caption over the picture, above a panel")
            << Strips{odd, 1, false, true, {}, "Hills", 0, 2, {0, 0, 640, 400}};
        QTest::addRow("decoded at half") << Strips{large, 1, false, true, half, {}};
        QTest::addRow("decoded at half, band over a panel")
            << Strips{large, 1, false, true, half, "Hills", 1, 2, {0, 0, 640, 440}};
        QTest::addRow("pure blocks stay pure") << Strips{{1024, 768}, 1, false, true, {}, {}, 1, 2, {}, 128};
        QTest::addRow("half turn") << Strips{odd, 3, false, false, {}, {}};
        QTest::addRow("cut short") << Strips{odd, 1, true, false, {}, {}};
    }
    void stripsGiveTheAreaAverage()
    {
        QFETCH(Strips, c);
        const QImage original = picture(c.picture, c.block);
        QByteArray bytes = TestPictures::jpeg(original, c.orientation, c.block > 0 ? 100 : 95);
        if (c.cut)
            bytes.truncate(bytes.size() / 3);
        const QString path = TestPictures::written(m_dir.filePath(QStringLiteral("strips.jpg")), bytes);
        QVERIFY(!path.isEmpty());
        const QSize screen(640, 480);
        QImage canvas(screen, QImage::Format_RGB32);
        QCOMPARE(PictureLoader::shrinkInto(NativeFileSystem::instance(), path, canvas, canvas.rect()),
                 c.inStrips);

        CompositionSettings settings;
        settings.captionPlacement = CheckedSettings::CaptionPlacement(int(c.onOff));
        settings.captionPosition = CheckedSettings::CaptionPosition(int(c.position));
        settings.font.font = QFont(QStringLiteral("DejaVu Sans"), 20);
        settings.font.colour = Qt::black;
        const WallpaperComposer composer(ScreenGeometry{screen, 1.0, 96.0, c.available}, settings);
        // The plain way: Qt's own reader, then the composer.
        const QImage plain = composer.compose(
            PictureLoader::load(NativeFileSystem::instance(), path, composer.view(c.caption)), c.caption);
        // Rows written while the picture decodes, and after a cut file's fall to the plain way, make a
        // bitmap that Qt reads as the finished canvas.
        BitmapWriter early(NativeFileSystem::instance());
        const QString earlyPath = m_dir.filePath(QStringLiteral("early.bmp"));
        QVERIFY(early.begin(earlyPath, nullptr));
        const std::optional<QImage> composed =
            composer.composeFile(NativeFileSystem::instance(), path, c.caption, nullptr, &early);
        QVERIFY(composed && !plain.isNull());
        QVERIFY(*composed == plain);
        QVERIFY(early.finish(*composed, nullptr));
        QCOMPARE(QImage(earlyPath).convertToFormat(QImage::Format_RGB32), *composed);

        // Where the picture goes: the screen, but for a band of one line at the work area's edge. The
        // picture there is the area average of Qt's own decode.
        const QRect caption = c.caption.isEmpty() ? QRect() : captionRows(c, settings.font.font, screen);
        QRect where(QPoint(), screen);
        if (c.onOff == 1 && !caption.isEmpty()) {
            if (c.position == 0 || c.position == 1)
                where.setTop(caption.bottom() + 1);
            else
                where.setBottom(caption.top() - 1);
        }
        QImageReader reader(path);
        reader.setAutoTransform(true);
        if (c.decoded.isValid())
            reader.setScaledSize(c.decoded);
        const QImage decoded = reader.read().convertToFormat(QImage::Format_RGB32);
        QVERIFY(!decoded.isNull());
        const QString wrong = TestPictures::mismatch(
            *composed, placed(screen, White, where, TestPictures::areaAverage(decoded, where.size())), 2,
            caption.adjusted(0, -1, 0, 1));
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
        // Pure blocks come out pure in their middles, whatever the decoder makes of their edges.
        for (int y = c.block / 2; c.block > 0 && y < c.picture.height(); y += c.block) {
            for (int x = c.block / 2; x < c.picture.width(); x += c.block) {
                const QPoint at(x * where.width() / c.picture.width(),
                                where.top() + y * where.height() / c.picture.height());
                const QString off = TestPictures::mismatch(composed->copy(QRect(at, at)),
                                                           original.copy(QRect(x, y, 1, 1)), 3);
                QVERIFY2(off.isEmpty(), qPrintable(off));
            }
        }
        // A band of its own holds the black caption on white, and nothing of the picture.
        for (int y = caption.top(); where.height() < screen.height() && y <= caption.bottom(); ++y)
            for (int x = 0; x < screen.width(); ++x)
                if (const QRgb p = composed->pixel(x, y); qRed(p) != qGreen(p) || qGreen(p) != qBlue(p))
                    QFAIL(qPrintable(QStringLiteral("band pixel %1,%2").arg(x).arg(y)));
    }

    void bitmapFollowsTheFormat_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QList<int>>("early"); // rows written while the rest is being made
        // Rows of 3, 6, 9, 12 and 15 bytes: padded with 1, 2, 3, 0 and 1.
        QTest::addRow("one pixel") << QSize(1, 1) << QList<int>{};
        QTest::addRow("width 2") << QSize(2, 3) << QList<int>{};
        QTest::addRow("width 3") << QSize(3, 2) << QList<int>{};
        QTest::addRow("width 4, a row early") << QSize(4, 3) << QList<int>{1};
        QTest::addRow("width 5, first and last early") << QSize(5, 4) << QList<int>{3, 0};
        QTest::addRow("every row early") << QSize(3, 3) << QList<int>{2, 0, 1};
    }
    void bitmapFollowsTheFormat()
    {
        QFETCH(QSize, size);
        QFETCH(QList<int>, early);
        QImage image = picture(size, 0);
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(2835);
        const QString path = m_dir.filePath(QStringLiteral("tessaly.bmp"));
        BitmapWriter writer(NativeFileSystem::instance());
        QVERIFY(writer.begin(path, nullptr));
        for (int y : early)
            writer.writeRow(image, y);
        QVERIFY(writer.finish(image, nullptr));
        QCOMPARE(contents(path), bitmapOf(image));
    }
};

QTEST_MAIN(tst_ShrinkPath)
#include "tst_ShrinkPath.moc"
