// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/CaptionPainter.h"
#include "engine/WallpaperComposer.h"

#include <QtTest>

namespace {

const QRgb Red = qRgb(255, 0, 0);
// Light enough not to count as ink.
const QRgb Blue = qRgb(0, 128, 255);
const QRgb Green = qRgb(0, 255, 0);
const QRgb Yellow = qRgb(255, 255, 0);
const QRgb White = qRgb(255, 255, 255);

/** Quadrants red, blue / green, yellow: each corner of a placed picture can be told apart. */
QImage quadrants(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           y < height / 2 ? (x < width / 2 ? Red : Blue) : (x < width / 2 ? Green : Yellow));
    return image;
}

/** Black letters on white, so ink is any dark pixel. */
CompositionSettings settings(double displayType, double onOffCaption, double position, double points = 20)
{
    CompositionSettings s;
    s.displayType = displayType;
    s.onOffCaption = onOffCaption;
    s.captionPosition = position;
    s.font.font = QFont(QStringLiteral("DejaVu Sans"));
    s.font.font.setPointSizeF(points);
    s.font.colour = Qt::black;
    return s;
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

ScreenGeometry screen(QSize size, double ratio = 1.0, QRect available = QRect())
{
    return ScreenGeometry{size, ratio, 96.0, available};
}

/** Red and blue in a one-pixel checkerboard: any scaling or shift shows. */
QRgb checker(int x, int y)
{
    return (x + y) % 2 ? Blue : Red;
}

int stripPixels(const CompositionSettings& s)
{
    return qRound(CaptionPainter(s.font, TwipScale(screen({800, 600}))).lineHeight() / 15);
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

    void stripRule_data()
    {
        QTest::addColumn<double>("onOff");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("expected");
        QTest::addRow("empty") << 1.0 << "" << false;
        QTest::addRow("one space") << 1.0 << " " << false;
        QTest::addRow("two spaces") << 1.0 << "  " << true;
        QTest::addRow("text") << 1.0 << "Hills" << true;
        QTest::addRow("on the picture") << 0.0 << "Hills" << false;
        QTest::addRow("other value") << 2.0 << "Hills" << false;
    }
    void stripRule()
    {
        QFETCH(double, onOff);
        QFETCH(QString, caption);
        QFETCH(bool, expected);
        QCOMPARE(WallpaperComposer::stripRule(onOff, caption), expected);
    }

    void centredCanvas_data()
    {
        QTest::addColumn<double>("onOff");
        QTest::addColumn<double>("position");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<bool>("strip");
        QTest::addColumn<bool>("stripOnTop");
        QTest::addRow("caption on the picture") << 0.0 << 0.0 << "Hills" << QSize(300, 200) << false << false;
        QTest::addRow("single space gives no strip")
            << 1.0 << 0.0 << " " << QSize(300, 200) << false << false;
        QTest::addRow("strip on top") << 1.0 << 1.0 << "Hills" << QSize(300, 200) << true << true;
        QTest::addRow("strip below") << 1.0 << 2.0 << "Hills" << QSize(300, 200) << true << false;
        // What the desktop would show of it: the middle, the size of the screen.
        QTest::addRow("larger than the screen") << 0.0 << 0.0 << "" << QSize(1000, 700) << false << false;
    }
    void centredCanvas()
    {
        QFETCH(double, onOff);
        QFETCH(double, position);
        QFETCH(QString, caption);
        QFETCH(QSize, picture);
        QFETCH(bool, strip);
        QFETCH(bool, stripOnTop);
        const int s = strip ? stripPixels(settings(1, 1, 0)) : 0;
        const QImage out = WallpaperComposer(screen({800, 600}), settings(1, onOff, position))
                               .compose(quadrants(picture.width(), picture.height()), caption);
        const QSize shown = picture.boundedTo(QSize(800, 600));
        QCOMPARE(out.size(), QSize(shown.width(), shown.height() + s));
        const int top = stripOnTop ? s : 0;
        QCOMPARE(out.pixel(0, top), Red);
        QCOMPARE(out.pixel(shown.width() - 1, top + shown.height() - 1), Yellow);
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
        QImage picture(31, 20, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, checker(x, y));
        const QImage out = WallpaperComposer(screen({200, 150}, ratio), settings(displayType, 0, 0))
                               .compose(picture, QString());
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
        const QImage out =
            WallpaperComposer(screen({800, 600}), settings(1, 0, 0)).compose(picture, QString());
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
        QTest::addColumn<bool>("stripOnTop");
        const QRect bottomPanel(0, 0, 800, 560);
        const QRect topBar(0, 30, 800, 570);
        const QRect whole(0, 0, 800, 600);
        QTest::addRow("stretched, strip at the bottom")
            << 0.0 << 1.0 << 2.0 << whole << QSize(40, 30) << false;
        QTest::addRow("stretched, strip at the top") << 0.0 << 1.0 << 0.0 << whole << QSize(40, 30) << true;
        QTest::addRow("stretched, strip above a bottom panel")
            << 0.0 << 1.0 << 2.0 << bottomPanel << QSize(40, 30) << false;
        QTest::addRow("stretched, caption on the picture")
            << 0.0 << 0.0 << 2.0 << bottomPanel << QSize(40, 30) << false;
        QTest::addRow("tiled, strip below a top bar")
            << 2.0 << 1.0 << 0.0 << topBar << QSize(256, 256) << true;
        QTest::addRow("centred screen-sized picture, strip above a bottom panel")
            << 1.0 << 1.0 << 2.0 << bottomPanel << QSize(800, 600) << false;
        QTest::addRow("right top beside a right panel")
            << 0.0 << 0.0 << 1.0 << QRect(0, 0, 740, 600) << QSize(40, 30) << true;
    }
    void captionInsideTheWorkArea()
    {
        QFETCH(double, displayType);
        QFETCH(double, onOff);
        QFETCH(double, position);
        QFETCH(QRect, available);
        QFETCH(QSize, picture);
        QFETCH(bool, stripOnTop);
        const CompositionSettings s = settings(displayType, onOff, position);
        const QImage out =
            WallpaperComposer(screen({800, 600}, 1.0, available), s)
                .compose(quadrants(picture.width(), picture.height()), QStringLiteral("Hills"));
        QCOMPARE(out.size(), QSize(800, 600));
        const QRect ink = inkBounds(out);
        QVERIFY(available.contains(ink));
        const int line = stripPixels(s);
        QVERIFY(stripOnTop ? ink.top() - available.top() <= line / 2
                           : available.bottom() - ink.bottom() <= line / 2);
        if (position == 1)
            QVERIFY(available.right() - ink.right() <= 10);
        if (onOff != 1)
            return;
        // The strip and the band under the panel stay white; the picture comes right up to the strip.
        const int stripEdge = stripOnTop ? available.top() + line : available.bottom() + 1 - line;
        QCOMPARE(out.pixel(2, stripOnTop ? 2 : 598), White);
        QCOMPARE(out.pixel(2, stripOnTop ? stripEdge - 2 : stripEdge + 1), White);
        QCOMPARE(out.pixel(2, stripOnTop ? stripEdge + 1 : stripEdge - 2), stripOnTop ? Red : Green);
    }

    void captionLandsWhereTheTableSays_data()
    {
        QTest::addColumn<double>("position");
        QTest::addColumn<QString>("caption");
        QTest::addRow("centre top") << 0.0 << "Hills at dawn";
        QTest::addRow("right top") << 1.0 << "Hills at dawn";
        QTest::addRow("bottom centre") << 2.0 << "Hills at dawn";
        QTest::addRow("position 5") << 5.0 << "Hills at dawn";
        QTest::addRow("too wide") << 0.0 << QString(60, QLatin1Char('W'));
    }
    void captionLandsWhereTheTableSays()
    {
        QFETCH(double, position);
        QFETCH(QString, caption);
        const CompositionSettings s = settings(0, 0, position);
        QImage picture(10, 10, QImage::Format_RGB32);
        picture.fill(White);
        const QImage out = WallpaperComposer(screen({800, 600}), s).compose(picture, caption);

        const CaptionPainter painter(s.font, TwipScale(screen({800, 600})));
        const QSizeF text = painter.measure(caption);
        const QPointF start = CaptionPainter::startPoint(position, QSizeF(12000, 9000), text) / 15;
        const QRect ink = inkBounds(out);
        QVERIFY(!ink.isEmpty());
        QVERIFY2(ink.left() >= std::max(0, int(start.x()) - 2), qPrintable(QString::number(ink.left())));
        QVERIFY(ink.right() <= start.x() + text.width() / 15 + 2);
        QVERIFY(ink.top() >= start.y());
        QVERIFY(ink.bottom() <= start.y() + text.height() / 15);
        if (start.x() < 0)
            QCOMPARE(ink.left(), 0);
    }

    void captionKeepsItsPhysicalSizeOnHiDpi()
    {
        QImage picture(10, 10, QImage::Format_RGB32);
        picture.fill(White);
        const CompositionSettings s = settings(0, 0, 0, 30);
        const QImage single =
            WallpaperComposer(screen({400, 300}, 1.0), s).compose(picture, QStringLiteral("H"));
        const QImage doubled =
            WallpaperComposer(screen({400, 300}, 2.0), s).compose(picture, QStringLiteral("H"));
        QCOMPARE(single.size(), QSize(400, 300));
        QCOMPARE(doubled.size(), QSize(800, 600));
        const int height = inkBounds(single).height();
        QVERIFY(height > 10);
        QVERIFY2(qAbs(inkBounds(doubled).height() - 2 * height) <= 2,
                 qPrintable(QStringLiteral("%1 vs %2").arg(inkBounds(doubled).height()).arg(height)));
    }
};

QTEST_MAIN(tst_WallpaperComposer)
#include "tst_WallpaperComposer.moc"
