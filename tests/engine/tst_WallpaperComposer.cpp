// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Settings.h"
#include "engine/CaptionPainter.h"
#include "engine/WallpaperComposer.h"

#include <QFontMetricsF>
#include <QtTest>

namespace {

const QRgb Red = qRgb(255, 0, 0);
const QRgb Blue = qRgb(0, 128, 255); // light enough not to count as ink
const QRgb Green = qRgb(0, 255, 0);
const QRgb Yellow = qRgb(255, 255, 0);
const QRgb White = qRgb(255, 255, 255);

/** Quadrants red, blue / green, yellow: each corner of a placed picture can be told apart. */
QImage quadrants(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y,
                           y < size.height() / 2 ? (x < size.width() / 2 ? Red : Blue)
                                                 : (x < size.width() / 2 ? Green : Yellow));
    return image;
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
    const std::optional<CompositionSettings> settings = CompositionSettings::fromSettings(s);
    if (!settings)
        qFatal("settings do not convert");
    return WallpaperComposer(ScreenGeometry{screen, ratio, 96.0, available}, *settings)
        .compose(picture, caption);
}

/** One line of 20-point DejaVu Sans at 96 dpi, worked out here rather than by the composer. */
double linePixels()
{
    QImage device(1, 1, QImage::Format_RGB32);
    device.setDotsPerMeterX(qRound(96 / 0.0254));
    device.setDotsPerMeterY(qRound(96 / 0.0254));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(20);
    return QFontMetricsF(font, &device).height();
}

QRect inkBounds(const QImage& image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 64)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

} // namespace

class tst_WallpaperComposer : public QObject
{
    Q_OBJECT

private slots:
    void startPoint_data()
    {
        QTest::addColumn<double>("position");
        QTest::addColumn<double>("textWidth");
        QTest::addColumn<QPointF>("expected");
        QTest::addRow("centre top") << 0.0 << 3000.0 << QPointF(4450, 0);
        QTest::addRow("right top") << 1.0 << 3000.0 << QPointF(8900, 0);
        QTest::addRow("bottom centre") << 2.0 << 3000.0 << QPointF(4450, 8595);
        QTest::addRow("unknown position prints at the bottom") << 5.0 << 3000.0 << QPointF(4450, 8595);
        QTest::addRow("too wide starts left of the edge") << 0.0 << 13000.0 << QPointF(-550, 0);
    }
    void startPoint()
    {
        QFETCH(double, position);
        QFETCH(double, textWidth);
        QFETCH(QPointF, expected);
        QCOMPARE(CaptionPainter::startPoint(position, QSizeF(12000, 9000), QSizeF(textWidth, 405)), expected);
    }

    void centredCanvas_data()
    {
        QTest::addColumn<double>("onOff");
        QTest::addColumn<double>("position");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<int>("strip"); // 0 none, 1 on top, 2 below
        const QSize small(300, 200);
        QTest::addRow("caption on the picture") << 0.0 << 0.0 << "Hills" << small << 1.0 << 0;
        QTest::addRow("single space gives no strip") << 1.0 << 0.0 << " " << small << 1.0 << 0;
        QTest::addRow("two spaces give a strip") << 1.0 << 2.0 << "  " << small << 1.0 << 2;
        QTest::addRow("strip on top") << 1.0 << 1.0 << "Hills" << small << 1.0 << 1;
        QTest::addRow("strip below") << 1.0 << 2.0 << "Hills" << small << 1.0 << 2;
        QTest::addRow("strip below, ratio 2") << 1.0 << 2.0 << "Hills" << small << 2.0 << 2;
        QTest::addRow("placement 2 is no strip") << 2.0 << 2.0 << "Hills" << small << 1.0 << 0;
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
        const int s = strip ? int(std::lround(linePixels() * ratio)) : 0;
        const QImage out =
            compose(stored(1, onOff, position), QSize(800, 600), quadrants(picture), caption, ratio);
        const QSize shown = picture.boundedTo(QSize(800, 600) * ratio);
        QCOMPARE(out.size(), QSize(shown.width(), shown.height() + s));
        const int top = strip == 1 ? s : 0;
        QCOMPARE(out.pixel(0, top), Red);
        QCOMPARE(out.pixel(shown.width() - 1, top + shown.height() - 1), Yellow);
        // The quadrants meet in the middle of what is shown: a picture cut to the screen keeps its centre.
        QCOMPARE(out.pixel(shown.width() / 2 - 1, top + shown.height() / 2 - 1), Red);
        QCOMPARE(out.pixel(shown.width() / 2, top + shown.height() / 2), Yellow);
    }

    void shownPixelForPixel_data()
    {
        QTest::addColumn<double>("displayType");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QSize>("expectedSize");
        QTest::addRow("centred, ratio 1") << 1.0 << 1.0 << QSize(31, 20);
        QTest::addRow("centred, ratio 2") << 1.0 << 2.0 << QSize(31, 20);
        QTest::addRow("tiled, ratio 1") << 2.0 << 1.0 << QSize(200, 150);
        QTest::addRow("tiled, ratio 1.5") << 2.0 << 1.5 << QSize(300, 225);
        QTest::addRow("tiled, ratio 2") << 2.0 << 2.0 << QSize(400, 300);
    }
    void shownPixelForPixel()
    {
        QFETCH(double, displayType);
        QFETCH(double, ratio);
        QFETCH(QSize, expectedSize);
        // A one-pixel checkerboard: any scaling or shift shows.
        const auto checker = [](int x, int y) {
            return (x + y) % 2 ? Blue : Red;
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
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is not the picture's").arg(x).arg(y)));
    }

    void seeThroughPartsShowWhite()
    {
        QImage picture(3, 1, QImage::Format_ARGB32);
        picture.setPixel(0, 0, qRgba(0, 0, 0, 0));
        picture.setPixel(1, 0, qRgba(255, 0, 0, 128));
        picture.setPixel(2, 0, qRgba(0, 0, 255, 255));
        const QImage out = compose(stored(1, 0, 0), QSize(800, 600), picture, QString());
        QCOMPARE(out.pixel(0, 0), White);
        QVERIFY(qAbs(qGreen(out.pixel(1, 0)) - 127) <= 1 && qRed(out.pixel(1, 0)) == 255);
        QCOMPARE(out.pixel(2, 0), qRgb(0, 0, 255));
    }

    void captionInsideTheWorkArea_data()
    {
        QTest::addColumn<double>("displayType");
        QTest::addColumn<double>("onOff");
        QTest::addColumn<double>("position");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QSize>("picture");
        const QRect bottomPanel(0, 0, 800, 560), topBar(0, 30, 800, 570), whole(0, 0, 800, 600);
        QTest::addRow("stretched, strip at the bottom") << 0.0 << 1.0 << 2.0 << whole << QSize(40, 30);
        QTest::addRow("stretched, strip at the top") << 0.0 << 1.0 << 0.0 << whole << QSize(40, 30);
        QTest::addRow("stretched, strip above a bottom panel")
            << 0.0 << 1.0 << 2.0 << bottomPanel << QSize(40, 30);
        QTest::addRow("stretched, caption on the picture")
            << 0.0 << 0.0 << 2.0 << bottomPanel << QSize(40, 30);
        QTest::addRow("tiled, strip below a top bar") << 2.0 << 1.0 << 0.0 << topBar << QSize(256, 256);
        QTest::addRow("centred screen-sized picture, strip above a bottom panel")
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
        const QRect ink = inkBounds(out);
        QVERIFY(available.contains(ink));
        const int line = int(std::lround(linePixels()));
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
        QCOMPARE(out.pixel(2, onTop ? stripEdge : stripEdge - 1), onTop ? Red : Green);
    }

    void captionAsTheSettingsSay_data()
    {
        QTest::addColumn<QString>("foreColor");
        QTest::addColumn<QRgb>("ink");
        QTest::addColumn<double>("position");
        // Stored as red + 256 * green + 65536 * blue.
        QTest::addRow("red, centre top") << "255" << qRgb(255, 0, 0) << 0.0;
        QTest::addRow("blue, right top") << "16711680" << qRgb(0, 0, 255) << 1.0;
        QTest::addRow("mixed, bottom") << "3368601" << qRgb(0x99, 0x66, 0x33) << 2.0;
        QTest::addRow("position 5 is the bottom") << "65280" << qRgb(0, 255, 0) << 5.0;
    }
    void captionAsTheSettingsSay()
    {
        QFETCH(QString, foreColor);
        QFETCH(QRgb, ink);
        QFETCH(double, position);
        Settings s = stored(0, 0, position);
        s.newFontForeColor = foreColor;
        s.newFontBold = QStringLiteral("True");
        QImage white(10, 10, QImage::Format_RGB32);
        white.fill(White);
        const QImage out = compose(s, QSize(800, 600), white, QStringLiteral("IIII"));
        QRect where;
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x)
                if (out.pixel(x, y) != White)
                    where |= QRect(x, y, 1, 1);
        // The stems of bold letters hold pixels of the pure colour.
        bool pure = false;
        for (int y = where.top(); y <= where.bottom() && !pure; ++y)
            for (int x = where.left(); x <= where.right() && !pure; ++x)
                pure = out.pixel(x, y) == ink;
        QVERIFY2(pure, qPrintable(QString::number(out.pixel(where.center()), 16)));
        const int line = int(std::lround(linePixels()));
        QVERIFY(position == 0 || position == 1 ? where.bottom() < line : where.top() >= 600 - line);
        const double centre = (800 - 100 / 15.0) / 2; // 50 twips left of the middle
        if (position == 1)
            QVERIFY(800 - where.right() >= 6 && 800 - where.right() <= 10);
        else
            QVERIFY2(qAbs(where.center().x() - centre) <= 3, qPrintable(QString::number(where.center().x())));
    }

    void fontStylesAsTheSettingsSay_data()
    {
        QTest::addColumn<QString>("italic");
        QTest::addColumn<QString>("underline");
        QTest::addRow("italic only") << "True"
                                     << "False";
        QTest::addRow("underline only") << "0"
                                        << "-1";
    }
    void fontStylesAsTheSettingsSay()
    {
        QFETCH(QString, italic);
        QFETCH(QString, underline);
        Settings s = stored(0, 0, 0);
        s.newFontItalic = italic;
        s.newFontUnderline = underline;
        const QFont font = CompositionSettings::fromSettings(s)->font.font;
        QCOMPARE(font.italic(), italic == "True");
        QCOMPARE(font.underline(), underline == "-1");
        QVERIFY(!font.bold() && !font.strikeOut());
    }

    void captionKeepsItsPhysicalSizeOnHiDpi()
    {
        QImage picture(10, 10, QImage::Format_RGB32);
        picture.fill(White);
        const QImage single = compose(stored(0, 0, 0), QSize(400, 300), picture, QStringLiteral("H"), 1);
        const QImage doubled = compose(stored(0, 0, 0), QSize(400, 300), picture, QStringLiteral("H"), 2);
        QCOMPARE(doubled.size(), QSize(800, 600));
        const int height = inkBounds(single).height();
        QVERIFY(height > 10);
        QVERIFY2(qAbs(inkBounds(doubled).height() - 2 * height) <= 2,
                 qPrintable(QStringLiteral("%1 vs %2").arg(inkBounds(doubled).height()).arg(height)));
    }
};

QTEST_MAIN(tst_WallpaperComposer)
#include "tst_WallpaperComposer.moc"
