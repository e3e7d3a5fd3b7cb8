// SPDX-License-Identifier: GPL-3.0-or-later
#include "CheckedSettings.h"
#include "DecodeDeadline.h"
#include "NativeFileSystem.h"
#include "PictureLoader.h"
#include "Settings.h"
#include "SettingsFile.h"
#include "SettingsSchema.h"
#include "TestPictures.h"
#include "WallpaperComposer.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <cmath>
#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace {

const QRgb R = qRgb(255, 0, 0), B = qRgb(0, 0, 255), G = qRgb(0, 255, 0), Y = qRgb(255, 255, 0),
           White = qRgb(255, 255, 255), Grey = qRgb(200, 200, 200);

/** A caption as the settings file describes it, on a given work area of an 800 x 600 screen. */
struct Caption
{
    double displayType, onOff, position;
    QRect available;
    QString colour;
    QRgb ink;
    QString italic = QStringLiteral("False"), underline = QStringLiteral("False"),
            strikethru = QStringLiteral("False");
};

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 95);
    return bytes;
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
                             CompositionSettings::from(CheckedSettings(s)))
        .compose(picture, caption);
}

/** 20-point DejaVu Sans at 96 dpi, measured here rather than by the composer. */
QFontMetricsF metrics()
{
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(3780); // 96 dpi
        image.setDotsPerMeterY(3780);
        return image;
    }();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(20);
    return QFontMetricsF(font, &device);
}

int linePixels(double ratio = 1)
{
    return int(std::lround(metrics().height() * ratio));
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

/** Each pixel red its column, green its row: any shift, scaling or change of shape shows. */
QImage coordinates(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x, y, 128));
    return image;
}

/** WCAG 2 relative luminance of an sRGB pixel, from the formula. */
double luminance(QRgb p)
{
    const auto linear = [](int level) {
        const double c = level / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(p)) + 0.7152 * linear(qGreen(p)) + 0.0722 * linear(qBlue(p));
}

double contrast(double a, double b)
{
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

/** How the letters stand out from what is right around them: the median ratio, and the share under 4.5. */
struct Legibility
{
    double median = 1;
    double shortShare = 1;
};

/**
 * The letters are the pixels the caption turned into its fill colour; their immediate surround the
 * pixels 2 to `reach` pixels from them (the next ones in are the letters' smoothed edge). Letters that
 * changed no pixel cannot be seen at all.
 */
Legibility legibility(const QImage& plain, const QImage& shown, QRgb fill, int reach)
{
    const int w = shown.width(), h = shown.height();
    std::vector<char> letters(std::size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            letters[std::size_t(y) * w + x] = shown.pixel(x, y) == fill && plain.pixel(x, y) != fill;
    std::vector<double> ratios;
    const double ink = luminance(fill);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (letters[std::size_t(y) * w + x])
                continue;
            int nearest = reach + 1; // square distance to the nearest letter pixel
            for (int dy = -reach; dy <= reach; ++dy)
                for (int dx = -reach; dx <= reach; ++dx)
                    if (x + dx >= 0 && x + dx < w && y + dy >= 0 && y + dy < h &&
                        letters[std::size_t(y + dy) * w + x + dx])
                        nearest = std::min(nearest, std::max(std::abs(dx), std::abs(dy)));
            if (nearest >= 2 && nearest <= reach)
                ratios.push_back(contrast(ink, luminance(shown.pixel(x, y))));
        }
    }
    if (ratios.empty())
        return {};
    std::sort(ratios.begin(), ratios.end());
    const auto under = std::lower_bound(ratios.begin(), ratios.end(), 4.5) - ratios.begin();
    return {ratios[ratios.size() / 2], double(under) / double(ratios.size())};
}

} // namespace

Q_DECLARE_METATYPE(Caption)

class tst_WallpaperComposer : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString file(const char* name, const QByteArray& bytes)
    {
        return TestPictures::written(m_dir.filePath(QLatin1String(name)), bytes);
    }

private slots:
    void shownPixelForPixel_data()
    {
        QTest::addColumn<double>("displayType");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("expectedSize");
        QTest::addColumn<QPoint>("offset"); // of the picture's pixel shown at the top-left corner
        QTest::addRow("centred, ratio 2") << 1.0 << 2.0 << QSize(31, 20) << QSize(31, 20) << QPoint();
        // What the desktop would show of it: the middle, the size of the screen.
        QTest::addRow("centred, cut") << 1.0 << 1.0 << QSize(250, 170) << QSize(200, 150) << QPoint(25, 10);
        QTest::addRow("tiled, ratio 1") << 2.0 << 1.0 << QSize(31, 20) << QSize(200, 150) << QPoint();
        QTest::addRow("tiled, ratio 2") << 2.0 << 2.0 << QSize(31, 20) << QSize(400, 300) << QPoint();
    }
    void shownPixelForPixel()
    {
        QFETCH(double, displayType);
        QFETCH(double, ratio);
        QFETCH(QSize, picture);
        QFETCH(QSize, expectedSize);
        QFETCH(QPoint, offset);
        const QImage image = coordinates(picture);
        const QImage out = compose(stored(displayType, 0, 0), QSize(200, 150), image, QString(), ratio);
        QCOMPARE(out.size(), expectedSize);
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x)
                if (out.pixel(x, y) !=
                    image.pixel((x + offset.x()) % picture.width(), (y + offset.y()) % picture.height()))
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
    }

    void filledAndFittedKeepTheShape_data()
    {
        QTest::addColumn<QString>("fitting");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<double>("onOff"); // 1: a caption strip at the bottom of the work area
        QTest::addRow("fit: wide, enlarged") << "fit" << QSize(200, 100) << QSize(300, 300) << QRect() << 0.0;
        QTest::addRow("fit: shrunk") << "Fit" << QSize(250, 100) << QSize(100, 100) << QRect() << 0.0;
        QTest::addRow("fit: above a strip and a panel")
            << "fit" << QSize(160, 120) << QSize(320, 240) << QRect(0, 0, 320, 200) << 1.0;
        QTest::addRow("fill: wide, middle kept")
            << "fill" << QSize(200, 100) << QSize(100, 100) << QRect() << 0.0;
        QTest::addRow("fill: tall, enlarged")
            << "fill" << QSize(100, 250) << QSize(300, 200) << QRect() << 0.0;
        QTest::addRow("fill: above a strip and a panel")
            << "fill" << QSize(160, 120) << QSize(320, 240) << QRect(0, 0, 320, 200) << 1.0;
    }
    void filledAndFittedKeepTheShape()
    {
        QFETCH(QString, fitting);
        QFETCH(QSize, picture);
        QFETCH(QSize, screen);
        QFETCH(QRect, available);
        QFETCH(double, onOff);
        const QImage image = coordinates(picture);
        Settings s = stored(0, onOff, 2);
        s.fitting = fitting;
        s.newFontForeColor = QStringLiteral("16777215"); // white letters in the white strip
        // A caption only in its strip, where it hides none of the picture.
        const QImage out =
            compose(s, screen, image, onOff == 1 ? QStringLiteral("Hi") : QString(), 1, available);
        QCOMPARE(out.size(), screen);
        // The picture's area: the screen, but for the strip of one line at the bottom of the work area.
        const int bottom = (available.isEmpty() ? screen.height() : available.bottom() + 1) -
                           (onOff == 1 ? linePixels() : 0);
        const double aw = screen.width(), ah = bottom;
        const bool fill = fitting == "fill";
        const double scale = fill ? qMax(aw / picture.width(), ah / picture.height())
                                  : qMin(aw / picture.width(), ah / picture.height());
        // Where the picture's left and top edges fall: in the middle either way, outside the area when
        // filling.
        const double left = (aw - picture.width() * scale) / 2, top = (ah - picture.height() * scale) / 2;
        for (int y = 2; y < bottom - 2; y += 7) {
            for (int x = 2; x < screen.width() - 2; x += 7) {
                const double u = (x + 0.5 - left) / scale - 0.5, v = (y + 0.5 - top) / scale - 0.5;
                const QRgb got = out.pixel(x, y);
                const QByteArray where = QStringLiteral("pixel %1,%2 is %3, the picture's %4,%5")
                                             .arg(x)
                                             .arg(y)
                                             .arg(got, 0, 16)
                                             .arg(u)
                                             .arg(v)
                                             .toUtf8();
                const double margin = 1.5 / qMin(scale, 1.0);
                const bool inside = u >= margin && v >= margin && u <= picture.width() - 1 - margin &&
                                    v <= picture.height() - 1 - margin;
                const bool outside = u < -1 / scale || v < -1 / scale || u > picture.width() + 1 / scale ||
                                     v > picture.height() + 1 / scale;
                if (inside)
                    QVERIFY2(qAbs(qRed(got) - u) <= 1.5 && qAbs(qGreen(got) - v) <= 1.5 && qBlue(got) == 128,
                             where);
                else if (outside)
                    QVERIFY2(!fill && got == qRgb(0, 0, 0), where);
            }
        }
        if (onOff == 1)
            QCOMPARE(out.pixel(2, bottom + 2), White);
    }

    void centredOnTheScreenForADesktopThatScales()
    {
        const QImage image = coordinates(QSize(31, 20));
        for (const double ratio : {1.0, 2.0}) {
            CompositionSettings settings = CompositionSettings::from(CheckedSettings(stored(1, 0, 0)));
            settings.centreOnScreen = true;
            const QImage out = WallpaperComposer(ScreenGeometry{QSize(200, 150), ratio, 96.0, {}}, settings)
                                   .compose(image, QString());
            const QSize screen = QSize(200, 150) * ratio;
            QCOMPARE(out.size(), screen);
            // Pixel for pixel in the middle, as the desktop would have placed it; black around it.
            const QPoint corner((screen.width() - 31) / 2, (screen.height() - 20) / 2);
            QCOMPARE(out.copy(QRect(corner, image.size())), image);
            QCOMPARE(bounds(out, [](QRgb p) { return p != qRgb(0, 0, 0); }), QRect(corner, image.size()));
        }
    }

    void seeThroughPartsShowWhite()
    {
        QImage picture(1, 1, QImage::Format_ARGB32);
        picture.fill(qRgba(0, 0, 0, 0));
        QCOMPARE(compose(stored(1, 0, 0), QSize(800, 600), picture, QString()).pixel(0, 0), White);
    }

    void captionAsTheSettingsSay_data()
    {
        QTest::addColumn<Caption>("c");
        // On a screen with a bottom panel, a right panel or a top bar; colours stored as red + 256 * green +
        // 65536 * blue.
        const QRect bottomPanel(0, 0, 800, 560), rightPanel(0, 0, 740, 600), topBar(0, 30, 800, 570);
        QTest::addRow("red, strip over a bottom panel")
            << Caption{0, 1, 2, bottomPanel, "255", qRgb(255, 0, 0)};
        QTest::addRow("blue, underlined, top right")
            << Caption{0, 0, 1, rightPanel, "16711680", qRgb(0, 0, 255), "False", "-1"};
        QTest::addRow("italic, tiled, top strip")
            << Caption{2, 1, 0, topBar, "3368601", qRgb(0x99, 0x66, 0x33), "True", "0"};
        QTest::addRow("green, centred, struck through, bottom strip")
            << Caption{1, 1, 2, bottomPanel, "65280", qRgb(0, 255, 0), "False", "False", "True"};
        QTest::addRow("position 5 is the bottom") << Caption{0, 0, 5, {0, 0, 800, 600}, "0", qRgb(0, 0, 0)};
    }
    void captionAsTheSettingsSay()
    {
        QFETCH(Caption, c);
        Settings s = stored(c.displayType, c.onOff, c.position);
        s.newFontForeColor = c.colour;
        s.newFontBold = QStringLiteral("True");
        s.newFontItalic = c.italic;
        s.newFontUnderline = c.underline;
        s.newFontFontStrikethru = c.strikethru;
        const QFont font = CompositionSettings::from(CheckedSettings(s)).font.font;
        QCOMPARE(font.italic(), c.italic == "True");
        QCOMPARE(font.underline(), c.underline == "-1");
        QCOMPARE(font.strikeOut(), c.strikethru == "True");
        QVERIFY(font.bold());
        // A grey picture, so that the caption, the picture and the white strip can be told apart.
        QImage grey(c.displayType == 1 ? QSize(800, 600) : QSize(256, 256), QImage::Format_RGB32);
        grey.fill(Grey);
        const QImage out = compose(s, QSize(800, 600), grey, QStringLiteral("IIII"), 1, c.available);
        const QRect ink = bounds(out, [](QRgb p) { return p != White && p != Grey; });
        QVERIFY(c.available.contains(ink));
        // The stems of bold letters hold pixels of the pure colour.
        QVERIFY(!bounds(out.copy(ink), [&c](QRgb p) { return p == c.ink; }).isEmpty());
        const int line = linePixels();
        const bool onTop = c.position == 0 || c.position == 1;
        QVERIFY(onTop ? ink.top() - c.available.top() <= line / 2
                      : c.available.bottom() - ink.bottom() <= line / 2);
        if (c.position == 1) // 100 twips from the right edge: about 7 pixels
            QVERIFY(c.available.right() - ink.right() >= 6 && c.available.right() - ink.right() <= 10);
        else // 50 twips left of the middle
            QVERIFY(qAbs(2 * ink.center().x() - c.available.left() - c.available.right() + 100 / 15.0) <= 6);
        if (c.onOff != 1)
            return;
        // The strip and the band under the panel stay white; the picture comes right up to the strip.
        const int stripEdge = onTop ? c.available.top() + line : c.available.bottom() + 1 - line;
        QCOMPARE(out.pixel(2, onTop ? 2 : 598), White);
        QCOMPARE(out.pixel(2, onTop ? stripEdge - 1 : stripEdge), White);
        QCOMPARE(out.pixel(2, onTop ? stripEdge : stripEdge - 1), Grey);
    }

    void captionReadableOnAnyPicture_data()
    {
        QTest::addColumn<bool>("shipped"); // the shipped file's style, or the plain one of an older file
        QTest::addColumn<QString>("picture");
        QTest::addColumn<double>("position");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<bool>("readable");
        for (const bool shipped : {false, true})
            for (const char* picture : {"white", "night", "busy"})
                for (const double position : {0.0, 2.0})
                    for (const double ratio : {1.0, 2.0})
                        // Plain black letters read on white only: the measure must tell them apart.
                        QTest::addRow("%s, %s, %s, scale %g", shipped ? "shipped" : "plain", picture,
                                      position == 0 ? "top" : "bottom", ratio)
                            << shipped << QString::fromLatin1(picture) << position << ratio
                            << (shipped || qstrcmp(picture, "white") == 0);
    }
    void captionReadableOnAnyPicture()
    {
        QFETCH(bool, shipped);
        QFETCH(QString, picture);
        QFETCH(double, position);
        QFETCH(double, ratio);
        QFETCH(bool, readable);
        SettingsFile file(QStringLiteral(TESSALY_SOURCE_DIR "/data/tessdesk.ini"),
                          NativeFileSystem::instance());
        Settings s = SettingsSchema::readAll(file);
        if (!shipped)
            s.captionEffect = s.automaticColour = QString(); // as a file from before them
        s.captionPosition = QString::number(position);
        const QSize screen(480, 120);
        QImage image(screen * ratio, QImage::Format_RGB32);
        image.fill(picture == "white" ? qRgb(250, 250, 245) : qRgb(12, 14, 24));
        QRandomGenerator noise(27);
        if (picture == "busy")
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    image.setPixel(x, y, noise.generate() | 0xff000000);
        const QString caption = QStringLiteral("Hg Tessaly 1234");
        const QImage plain = compose(s, screen, image, QString(), ratio);
        const QImage shown = compose(s, screen, image, caption, ratio);
        // The shipped style's letters are black or white, whichever contrasts more with the picture on
        // average; the plain ones are the stored black.
        double sum = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                sum += luminance(image.pixel(x, y));
        const double average = sum / (double(image.width()) * image.height());
        const QRgb fill = !shipped || contrast(average, 0) >= contrast(average, 1) ? qRgb(0, 0, 0) : White;
        const Legibility seen = legibility(plain, shown, fill, int(2 * ratio));
        qInfo("%s: median %.2f:1, %.0f%% of the surround under 4.5:1", QTest::currentDataTag(), seen.median,
              100 * seen.shortShare);
        QCOMPARE(seen.shortShare <= 0.05, readable);
    }

    void bandKeepsItsLookAtEveryScale_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::addRow("scale 1") << 1.0;
        QTest::addRow("scale 2") << 2.0;
    }
    void bandKeepsItsLookAtEveryScale()
    {
        QFETCH(double, ratio);
        // A readable style asked for, on a dark picture: the white band keeps the user's red letters.
        Settings s = stored(1, 1, 2);
        s.newFontForeColor = QStringLiteral("255");
        s.captionEffect = QStringLiteral("1");
        s.automaticColour = QStringLiteral("True");
        QImage dark(QSize(300, 200) * ratio, QImage::Format_RGB32);
        dark.fill(qRgb(12, 14, 24));
        const QImage out = compose(s, QSize(300, 200), dark, QStringLiteral("Hg"), ratio);
        const QRect band(0, out.height() - linePixels(ratio), out.width(), linePixels(ratio));
        QCOMPARE(out.size(), QSize(300, 200) * ratio);
        QCOMPARE(bounds(out, [](QRgb p) { return p == qRgb(12, 14, 24); }),
                 QRect(0, 0, out.width(), out.height() - band.height()));
        // Red shades on white only: no halo, no black or white letters.
        const QImage strip = out.copy(band);
        QVERIFY(!bounds(strip, [](QRgb p) { return p == qRgb(255, 0, 0); }).isEmpty());
        QVERIFY(bounds(strip, [](QRgb p) { return qRed(p) != 255 || qGreen(p) != qBlue(p); }).isEmpty());
    }

    void centredPictureMakesRoomForItsBand_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<double>("position");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("band");
        QTest::addRow("band at the bottom") << QSize(60, 20) << 2.0 << "Hi" << true;
        QTest::addRow("band at the top") << QSize(60, 20) << 1.0 << "Hi" << true;
        QTest::addRow("a single space takes none") << QSize(60, 20) << 0.0 << " " << false;
        QTest::addRow("two spaces take one") << QSize(60, 20) << 0.0 << "  " << true;
        // No taller than the screen: the band takes its line from the picture.
        QTest::addRow("as tall as the screen") << QSize(100, 600) << 2.0 << "Hi" << true;
    }
    void centredPictureMakesRoomForItsBand()
    {
        QFETCH(QSize, picture);
        QFETCH(double, position);
        QFETCH(QString, caption);
        QFETCH(bool, band);
        QImage grey(picture, QImage::Format_RGB32);
        grey.fill(Grey);
        Settings s = stored(1, 1, position);
        s.newFontForeColor = QStringLiteral("255"); // red letters on white hold no grey
        const QImage out = compose(s, QSize(800, 600), grey, caption);
        const int line = band ? linePixels() : 0;
        const QSize canvas(picture.width(), qMin(picture.height() + line, 600));
        QCOMPARE(out.size(), canvas);
        const QRect shown(0, position == 2 ? 0 : line, canvas.width(), canvas.height() - line);
        QCOMPARE(bounds(out, [](QRgb p) { return p == Grey; }), shown);
    }

    void longCaptionStaysInItsRoom_data()
    {
        QTest::addColumn<bool>("onScreen"); // a centred picture placed on a screen-sized bitmap by us
        QTest::addColumn<double>("position");
        QTest::addColumn<QRect>("available"); // the work area of an 800 x 600 screen
        QTest::addColumn<int>("repeats");     // of a phrase some 500 pixels wide
        QTest::addRow("wider than the picture: the picture's block grows") << false << 2.0 << QRect() << 1;
        QTest::addRow("on the screen, wider than the picture") << true << 0.0 << QRect(60, 0, 740, 600) << 1;
        // Centred on the screen by the desktop, the bitmap reaches under the panel to show all of the work
        // area.
        QTest::addRow("wider than the work area: cut short") << false << 1.0 << QRect(0, 0, 740, 600) << 8;
        QTest::addRow("on the screen, wider than the work area") << true << 2.0 << QRect(0, 0, 740, 600) << 8;
    }
    void longCaptionStaysInItsRoom()
    {
        QFETCH(bool, onScreen);
        QFETCH(double, position);
        QFETCH(QRect, available);
        QFETCH(int, repeats);
        QImage grey(QSize(200, 120), QImage::Format_RGB32);
        grey.fill(Grey);
        const QString caption = QStringLiteral("Holiday in the mountains, day by day; ").repeated(repeats);
        Settings s = stored(1, 0, position);
        s.newFontForeColor = QStringLiteral("255"); // red: told from the black around a block on the screen
        CompositionSettings settings = CompositionSettings::from(CheckedSettings(s));
        settings.centreOnScreen = onScreen;
        const QImage out = WallpaperComposer(ScreenGeometry{QSize(800, 600), 1, 96.0, available}, settings)
                               .compose(grey, caption);
        // Where the bitmap lies on the screen: centred, or the screen itself.
        const QRect placed(QPoint((800 - out.width()) / 2, (600 - out.height()) / 2), out.size());
        const QRect work = available.isEmpty() ? QRect(0, 0, 800, 600) : available;
        const QRect ink =
            bounds(out, [](QRgb p) { return qRed(p) > qGreen(p) + 60; }).translated(placed.topLeft());
        QVERIFY2(work.contains(ink),
                 qPrintable(QStringLiteral("%1 wide at %2").arg(ink.width()).arg(ink.left())));
        // The picture 1:1 in the middle of the screen, whatever its block.
        const QRect shown = bounds(out, [](QRgb p) { return p == Grey; }).translated(placed.topLeft());
        QCOMPARE(shown.size(), grey.size());
        QVERIFY(qAbs(shown.x() + shown.width() / 2.0 - 400) <= 1 && shown.y() + shown.height() / 2 == 300);
        // The whole phrase where there is room for it, else cut to the room with an ellipsis.
        const double phrase = metrics().horizontalAdvance(caption.trimmed());
        if (repeats == 1)
            QVERIFY(qAbs(ink.width() - phrase) <= 8);
        else
            QVERIFY(ink.width() > work.width() - 40 && ink.width() < phrase);
    }

    void captionSizeAsStored_data()
    {
        QTest::addColumn<QString>("size");
        QTest::addColumn<bool>("shipped"); // drawn as the shipped 16 points
        QTest::addRow("200, hand-edited") << "200" << true;
        QTest::addRow("12") << "12" << false;
    }
    void captionSizeAsStored()
    {
        QFETCH(QString, size);
        QFETCH(bool, shipped);
        QImage picture(10, 10, QImage::Format_RGB32);
        picture.fill(White);
        Settings s = stored(0, 0, 2);
        s.newFontSize = QStringLiteral("16");
        const QImage at16 = compose(s, QSize(640, 200), picture, "Hg");
        s.newFontSize = size;
        QCOMPARE(compose(s, QSize(640, 200), picture, "Hg") == at16, shipped);
    }

    void photosAreTurnedUpright_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QList<QRgb>>("corners"); // top-left, top-right, bottom-left, bottom-right
        QTest::addRow("as stored") << 1 << QList<QRgb>{R, B, G, Y};
        QTest::addRow("half turn") << 3 << QList<QRgb>{Y, G, B, R};
        QTest::addRow("quarter turn clockwise") << 6 << QList<QRgb>{G, R, Y, B};
        QTest::addRow("quarter turn anticlockwise") << 8 << QList<QRgb>{B, Y, R, G};
    }
    void photosAreTurnedUpright()
    {
        QFETCH(int, orientation);
        QFETCH(QList<QRgb>, corners);
        const QString path = file(
            "turned.jpg", TestPictures::jpeg(TestPictures::quadrants(QSize(160, 80)), quint16(orientation)));
        const QImage shown = PictureLoader::load(NativeFileSystem::instance(), path,
                                                 PictureView{QSize(), QSize(500, 500), true});
        QCOMPARE(shown.size(), orientation > 4 ? QSize(80, 160) : QSize(160, 80));
        const int w = shown.width() - 5, h = shown.height() - 5;
        const auto at = [&shown](int x, int y) {
            const QRgb p = shown.pixel(x, y);
            return qRgb(qRed(p) > 127 ? 255 : 0, qGreen(p) > 127 ? 255 : 0, qBlue(p) > 127 ? 255 : 0);
        };
        QCOMPARE((QList<QRgb>{at(4, 4), at(w, 4), at(4, h), at(w, h)}), corners);
    }

    void picturesAreReadByContent_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason"); // words the reason must hold; empty when the picture loads
        QTest::addRow("DIB") << file("photo.dib", encoded(TestPictures::quadrants(QSize(16, 8)), "bmp"))
                             << QString();
        QTest::addRow("PNG named .jpg")
            << file("photo.jpg", encoded(TestPictures::quadrants(QSize(16, 8)), "png")) << QString();
#ifndef Q_OS_WIN
        // Opening a pipe for reading waits for a writer: a picture list naming one hung at start.
        const QString pipe = m_dir.filePath(QStringLiteral("pipe.jpg"));
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        QTest::addRow("named pipe") << pipe << QStringLiteral("named pipe");
        QTest::addRow("endless device") << QStringLiteral("/dev/zero") << QStringLiteral("device");
#endif
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
        const QImage read = PictureLoader::load(NativeFileSystem::instance(), path,
                                                PictureView{QSize(), QSize(800, 600), true}, &given);
        QVERIFY2(given.contains(reason), qPrintable(given));
        QCOMPARE(read.size(), reason.isEmpty() ? QSize(16, 8) : QSize(0, 0));
        if (reason.isEmpty())
            QVERIFY(read.pixel(2, 2) == R && read.pixel(13, 2) == B && read.pixel(13, 6) == Y);
    }

    void deadlineAbandonsTheDecode_data()
    {
        QTest::addColumn<int>("limitMs");
        QTest::addColumn<int>("abandonAtRow"); // the canvas row painted when the flag is set; 0 before
        QTest::addColumn<QString>("reason");
        QTest::addRow("time already up")
            << 0 << -1 << QStringLiteral("the picture took longer than 0 s to decode");
        QTest::addRow("abandoned before") << 10000 << 0 << QStringLiteral("the change was abandoned");
        QTest::addRow("abandoned part way through the strips")
            << 10000 << 40 << QStringLiteral("the change was abandoned");
    }
    void deadlineAbandonsTheDecode()
    {
        QFETCH(int, limitMs);
        QFETCH(int, abandonAtRow);
        QFETCH(QString, reason);
        std::atomic_bool abandon = abandonAtRow == 0;
        const DecodeDeadline deadline(&abandon, std::chrono::milliseconds(limitMs));
        // Large enough to go in strips, many of them.
        const QString path =
            file("deadline.jpg", TestPictures::jpeg(TestPictures::quadrants(QSize(1600, 1200))));
        QImage canvas(640, 480, QImage::Format_RGB32);
        std::atomic_int painted = 0;
        const auto rowDone = [&](int) {
            if (++painted == abandonAtRow)
                abandon = true;
        };
        QVERIFY(!PictureLoader::shrinkInto(NativeFileSystem::instance(), path, canvas, canvas.rect(), rowDone,
                                           deadline));
        QVERIFY2(painted < canvas.height(), "the strips went on to the end");
        QString given;
        QVERIFY(PictureLoader::load(NativeFileSystem::instance(), path, {}, &given, deadline).isNull());
        QCOMPARE(given, reason);
        given.clear();
        const WallpaperComposer composer(ScreenGeometry{canvas.size(), 1.0, 96.0, {}}, CompositionSettings());
        QVERIFY(!composer.composeFile(NativeFileSystem::instance(), path, {}, &given, nullptr, deadline));
        QCOMPARE(given, reason);
    }
};

QTEST_MAIN(tst_WallpaperComposer)
#include "tst_WallpaperComposer.moc"
