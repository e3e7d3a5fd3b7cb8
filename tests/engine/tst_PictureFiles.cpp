// SPDX-License-Identifier: GPL-3.0-or-later
#include "FaultyFileSystem.h"
#include "engine/AreaScaler.h"
#include "engine/BitmapWriter.h"
#include "engine/PictureLoader.h"
#include "engine/WallpaperComposer.h"
#include "platform/PosixFileSystem.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>

namespace {

const QRgb R = qRgb(255, 0, 0), B = qRgb(0, 0, 255), G = qRgb(0, 255, 0), Y = qRgb(255, 255, 0);

/** The picture as a JPEG of quality 95, with an APP1 segment holding only an EXIF orientation. */
QByteArray jpeg(const QImage& image, quint16 orientation = 1, bool progressive = false)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(95);
    writer.setProgressiveScanWrite(progressive);
    if (!writer.write(image))
        qFatal("cannot encode a JPEG");
    // Big-endian TIFF: one entry, Orientation, SHORT, count 1, the value, padding, no next directory.
    const QByteArray tiff = QByteArray("MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01", 18) +
                            char(orientation >> 8) + char(orientation & 0xff) + QByteArray(6, '\0');
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    const int length = int(payload.size()) + 2;
    return QByteArray(buffer.data())
        .insert(2, QByteArray("\xff\xe1", 2) + char(length >> 8) + char(length & 0xff) + payload);
}

/** A JPEG of quadrants red, blue / green, yellow, turned by its EXIF orientation. */
QByteArray turnedJpeg(QSize size, quint16 orientation)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y,
                           y < size.height() / 2 ? (x < size.width() / 2 ? R : B)
                                                 : (x < size.width() / 2 ? G : Y));
    return jpeg(image, orientation);
}

void save(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

} // namespace

class tst_PictureFiles : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void onlyTheSeenPartIsDecodedUpright_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("fromCentre");
        QTest::addColumn<QSize>("clipTo");
        QTest::addColumn<QSize>("expectedSize");
        QTest::addColumn<QList<QRgb>>("corners");
        QTest::addRow("top-left") << 1 << false << QSize(40, 20) << QSize(40, 20) << QList<QRgb>{R, R, R, R};
        QTest::addRow("middle") << 1 << true << QSize(64, 32) << QSize(64, 32) << QList<QRgb>{R, B, G, Y};
        QTest::addRow("half turn, top-left")
            << 3 << false << QSize(40, 20) << QSize(40, 20) << QList<QRgb>{Y, Y, Y, Y};
        QTest::addRow("quarter turn, middle")
            << 6 << true << QSize(32, 64) << QSize(32, 64) << QList<QRgb>{G, R, Y, B};
        QTest::addRow("three quarters, top-left")
            << 8 << false << QSize(40, 40) << QSize(40, 40) << QList<QRgb>{B, B, B, B};
        QTest::addRow("smaller than the view: whole, upright")
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
        save(path, turnedJpeg(QSize(160, 80), quint16(orientation)));
        const QImage shown = PictureLoader::load(path, PictureView{QSize(), clipTo, fromCentre});
        QCOMPARE(shown.size(), expectedSize);
        const int w = shown.width() - 5, h = shown.height() - 5;
        const QPoint points[] = {{4, 4}, {w, 4}, {4, h}, {w, h}};
        for (int i = 0; i < 4; ++i) {
            const QRgb seen = shown.pixel(points[i]), want = corners[i];
            QVERIFY2(qAbs(qRed(seen) - qRed(want)) < 60 && qAbs(qGreen(seen) - qGreen(want)) < 60 &&
                         qAbs(qBlue(seen) - qBlue(want)) < 60,
                     qPrintable(QStringLiteral("corner %1 is %2").arg(i).arg(seen, 8, 16)));
        }
    }

    void largePicturesDecodeReduced_data()
    {
        QTest::addColumn<QSize>("shownAt");
        QTest::addColumn<QSize>("expected");
        QTest::addRow("a quarter exactly") << QSize(400, 300) << QSize(400, 300);
        QTest::addRow("never below the target") << QSize(500, 300) << QSize(600, 450);
        QTest::addRow("less than twice: full size") << QSize(900, 500) << QSize(1600, 1200);
        QTest::addRow("no target: full size") << QSize() << QSize(1600, 1200);
    }
    void largePicturesDecodeReduced()
    {
        QFETCH(QSize, shownAt);
        QFETCH(QSize, expected);
        const QString path = m_dir.filePath(QStringLiteral("large.jpg"));
        if (!QFile::exists(path))
            save(path, turnedJpeg(QSize(1600, 1200), 1));
        QCOMPARE(PictureLoader::load(path, PictureView{shownAt, QSize(), false}).size(), expected);
    }

    void stripsGiveThePlainPixels_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<bool>("progressive");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("cutAt");
        QTest::addColumn<bool>("inStrips");
        QTest::addColumn<QString>("caption"); // in a strip of its own, which the picture leaves white
        QTest::addRow("decoded whole")
            << QSize(1001, 707) << QSize(640, 480) << false << 1 << 0 << true << "";
        QTest::addRow("caption strip")
            << QSize(1001, 707) << QSize(640, 480) << false << 1 << 0 << true << "Hills";
        QTest::addRow("decoded reduced")
            << QSize(1700, 1000) << QSize(800, 480) << false << 1 << 0 << true << "";
        QTest::addRow("screen-sized") << QSize(640, 480) << QSize(640, 480) << false << 1 << 0 << true << "";
        QTest::addRow("smaller than the screen")
            << QSize(500, 400) << QSize(640, 480) << false << 1 << 0 << false << "";
        QTest::addRow("progressive") << QSize(1001, 707) << QSize(640, 480) << true << 1 << 0 << false << "";
        QTest::addRow("half turn") << QSize(1001, 707) << QSize(640, 480) << false << 3 << 0 << false << "";
        QTest::addRow("cut short") << QSize(1001, 707) << QSize(640, 480) << false << 1 << 30000 << false
                                   << "";
    }
    void stripsGiveThePlainPixels()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, screen);
        QFETCH(bool, progressive);
        QFETCH(int, orientation);
        QFETCH(int, cutAt);
        QFETCH(bool, inStrips);
        QFETCH(QString, caption);
        // Gradients under noise, so that every decoder stage (upsampling, DCT, colour) shows in the pixels.
        QImage stored(picture, QImage::Format_RGB32);
        quint32 noise = 7;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                noise = noise * 1664525u + 1013904223u;
                const int n = int(noise >> 27) - 16;
                stored.setPixel(x, y,
                                qRgb(qBound(0, x * 255 / picture.width() + n, 255),
                                     qBound(0, y * 255 / picture.height() + n, 255),
                                     qBound(0, (x + y) / 8 % 64 * 4 + n, 255)));
            }
        QByteArray bytes = jpeg(stored, quint16(orientation), progressive);
        if (cutAt > 0)
            bytes.truncate(cutAt);
        CompositionSettings settings;
        settings.onOffCaption = 1;
        const QString path = m_dir.filePath(QStringLiteral("strips.jpg"));
        save(path, bytes);

        QImage canvas(screen, QImage::Format_RGB32);
        QCOMPARE(PictureLoader::shrinkInto(path, canvas, canvas.rect()), inStrips);
        // The plain way: Qt's own reader, then the composer.
        const WallpaperComposer composer(ScreenGeometry{screen, 1.0, 96.0, {}}, settings);
        const QImage plain = composer.compose(PictureLoader::load(path, composer.view(caption)), caption);
        const std::optional<QImage> composed = composer.composeFile(path, caption);
        QVERIFY(composed && !plain.isNull());
        QVERIFY(*composed == plain);
    }

    void picturesAreReadByContent_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format");
        QTest::addRow("DIB") << "photo.dib" << QByteArray("bmp");
        QTest::addRow("WebP") << "photo.webp" << QByteArray("webp");
        QTest::addRow("TIFF") << "photo.tif" << QByteArray("tiff");
        QTest::addRow("PNG named .jpg") << "photo.jpg" << QByteArray("png");
    }
    void picturesAreReadByContent()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        // Left half red, right half blue: a reader that swaps channels or halves the width shows it.
        QImage picture(16, 8, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                picture.setPixel(x, y, R);
        const QString path = m_dir.filePath(name);
        QImageWriter writer(path, format);
        writer.setQuality(100);
        QVERIFY2(writer.write(picture), qPrintable(writer.errorString()));
        // A symbolic link to a picture is as good as the picture.
        QVERIFY(QFile::link(path, path + QStringLiteral(".link")));
        for (const QString& file : {path, path + QStringLiteral(".link")}) {
            QString reason;
            const QImage read = PictureLoader::load(file, {}, &reason);
            QVERIFY2(read.size() == picture.size(), qPrintable(reason));
            QVERIFY(qRed(read.pixel(2, 4)) > 200 && qBlue(read.pixel(2, 4)) < 60);
            QVERIFY(qBlue(read.pixel(13, 4)) > 200 && qRed(read.pixel(13, 4)) < 60);
        }
    }

    void unusableFilesGiveNoPicture_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason"); // words the reason must hold
        const auto file = [this](const char* name, const QByteArray& bytes) {
            save(m_dir.filePath(QLatin1String(name)), bytes);
            return m_dir.filePath(QLatin1String(name));
        };
        QTest::addRow("text") << file("text.jpg", "not a picture") << "not a picture";
        QTest::addRow("empty") << file("empty.gif", {}) << "";
        QTest::addRow("truncated JPEG header")
            << file("cut.jpg", QByteArray("\xff\xd8\xff\xe0\x00", 5)) << "";
        QTest::addRow("missing") << m_dir.filePath(QStringLiteral("missing.gif")) << "No such file";
        // Opening a pipe for reading waits for a writer: a picture list naming one hung at start.
        const QString pipe = m_dir.filePath(QStringLiteral("pipe.jpg"));
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        QTest::addRow("named pipe") << pipe << "named pipe";
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("folder.jpg")));
        QTest::addRow("folder") << m_dir.filePath(QStringLiteral("folder.jpg")) << "folder";
        QTest::addRow("endless device") << "/dev/zero"
                                        << "device";
        // Little more than a header: 20000 x 20000 pixels, 1.6 GB decoded, which Qt can neither cut nor
        // shrink.
        QByteArray gif("GIF89a", 6);
        QDataStream out(&gif, QIODevice::Append);
        out.setByteOrder(QDataStream::LittleEndian);
        out << quint16(20000) << quint16(20000) << quint8(0) << quint8(0) << quint8(0) << quint8(',')
            << quint16(0) << quint16(0) << quint16(20000) << quint16(20000) << quint8(0) << quint8(8)
            << quint8(0) << quint8(';');
        QTest::addRow("huge, refused before decoding") << file("huge.gif", gif) << "20000 x 20000";
    }
    void unusableFilesGiveNoPicture()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        QString given;
        QVERIFY(PictureLoader::load(path, PictureView{QSize(), QSize(800, 600), true}, &given).isNull());
        QVERIFY2(!given.isEmpty() && given.contains(reason), qPrintable(given));
    }

    void bitmapRoundTrip()
    {
        // Width 3 needs row padding; the colours catch swapped channels and flipped rows.
        QImage image(3, 2, QImage::Format_RGB32);
        const QRgb colours[] = {R, G, B, qRgb(10, 20, 30), qRgb(200, 100, 50), qRgb(255, 255, 255)};
        for (int i = 0; i < 6; ++i)
            image.setPixel(i % 3, i / 3, colours[i]);
        const QString path = m_dir.filePath(QStringLiteral("tessaly.bmp"));
        QVERIFY(BitmapWriter::write(QImage(7, 7, QImage::Format_RGB32), path, PosixFileSystem::instance()));
        QVERIFY(BitmapWriter::write(image, path, PosixFileSystem::instance()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes.size(), 54 + 12 * 2);
        QCOMPARE(bytes.left(2), QByteArray("BM"));
        QCOMPARE(int(bytes[28]), 24);
        QCOMPARE(bytes.mid(54, 3), QByteArray("\x1e\x14\x0a")); // bottom row first, blue green red
        const QImage back(path);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(back.pixel(i % 3, i / 3), colours[i]);
    }

    void bitmapFailureLeavesNothingBehind_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("error");
        QTest::addRow("disk full while writing") << int(FaultyFileSystem::Step::Write) << ENOSPC;
        QTest::addRow("read-only folder") << int(FaultyFileSystem::Step::CreateNew) << EROFS;
        QTest::addRow("quota reached at close") << int(FaultyFileSystem::Step::Close) << EDQUOT;
        QTest::addRow("rename refused") << int(FaultyFileSystem::Step::Rename) << EACCES;
    }
    void bitmapFailureLeavesNothingBehind()
    {
        QFETCH(int, step);
        QFETCH(int, error);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tessaly.bmp"));
        QVERIFY(BitmapWriter::write(QImage(5, 5, QImage::Format_RGB32), path, PosixFileSystem::instance()));
        const QStringList before =
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        FaultyFileSystem fs;
        // A few blocks of pixels, so that the disk fills up in the middle of the bitmap.
        fs.failAt(FaultyFileSystem::Step(step), error, 1500000);
        QImage image(1000, 1000, QImage::Format_RGB32);
        image.fill(Qt::red);
        QString why;
        QVERIFY(!BitmapWriter::write(image, path, fs, &why));
        QVERIFY2(why.contains(path) && why.contains(QString::fromLocal8Bit(std::strerror(error))),
                 qPrintable(why));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
        QCOMPARE(QImage(path).size(), QSize(5, 5)); // the old bitmap stays whole
    }

    void areaAverage_data()
    {
        QTest::addColumn<QSize>("from");
        QTest::addColumn<QSize>("to");
        QTest::addColumn<bool>("checker");
        // A one-pixel checkerboard averages to grey whatever the factor; a point sampler gives black or
        // white.
        QTest::addRow("checker, halves") << QSize(8, 8) << QSize(4, 4) << true;
        QTest::addRow("checker, odd factors") << QSize(9, 7) << QSize(4, 3) << true;
        QTest::addRow("checker, one direction only") << QSize(8, 5) << QSize(2, 5) << true;
        // A flat colour stays exactly itself: no darkening by rounding down.
        QTest::addRow("flat, uneven factors") << QSize(997, 613) << QSize(300, 200) << false;
    }
    void areaAverage()
    {
        QFETCH(QSize, from);
        QFETCH(QSize, to);
        QFETCH(bool, checker);
        const QRgb flat = qRgb(13, 200, 97);
        QImage source(from, QImage::Format_RGB32);
        for (int y = 0; y < from.height(); ++y)
            for (int x = 0; x < from.width(); ++x)
                source.setPixel(x, y, !checker ? flat : (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        QImage canvas(to.width() + 2, to.height() + 2, QImage::Format_RGB32);
        canvas.fill(Qt::red);
        AreaScaler::shrinkInto(source, canvas, QRect(QPoint(1, 1), to));
        for (int y = 1; y <= to.height(); ++y)
            for (int x = 1; x <= to.width(); ++x)
                if (checker ? qAbs(qGray(canvas.pixel(x, y)) - 128) > 60 : canvas.pixel(x, y) != flat)
                    QFAIL(qPrintable(
                        QStringLiteral("%1,%2 is %3").arg(x).arg(y).arg(canvas.pixel(x, y), 8, 16)));
        QCOMPARE(canvas.pixel(0, 0), R); // nothing outside the target
        QCOMPARE(canvas.pixel(to.width() + 1, to.height() + 1), R);
    }
};

QTEST_MAIN(tst_PictureFiles)
#include "tst_PictureFiles.moc"
