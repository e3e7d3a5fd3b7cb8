// SPDX-License-Identifier: GPL-3.0-or-later
#include "FaultyFileSystem.h"
#include "engine/AreaScaler.h"
#include "engine/BitmapWriter.h"
#include "engine/PictureLoader.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>

namespace {

/** An APP1 segment holding only an EXIF orientation tag, in big-endian TIFF order. */
QByteArray exifOrientation(quint16 orientation)
{
    QByteArray tiff("MM\0\x2a\0\0\0\x08", 8);
    tiff += QByteArray("\0\x01", 2);                   // one entry
    tiff += QByteArray("\x01\x12\0\x03\0\0\0\x01", 8); // Orientation, SHORT, count 1
    tiff += char(orientation >> 8);
    tiff += char(orientation & 0xff);
    tiff += QByteArray(2, '\0'); // value padding
    tiff += QByteArray(4, '\0'); // no next directory
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    const int length = int(payload.size()) + 2;
    return QByteArray("\xff\xe1", 2) + char(length >> 8) + char(length & 0xff) + payload;
}

QByteArray jpeg(const QImage& image)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(95);
    if (!writer.write(image))
        qFatal("cannot encode a JPEG");
    return buffer.data();
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
    void onlyTheSeenPartIsDecoded_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("fromCentre");
        QTest::addColumn<QSize>("clipTo");
        QTest::addColumn<QSize>("expectedSize");
        QTest::addColumn<QList<QRgb>>("corners");
        // Stored quadrants red, blue / green, yellow; an orientation turns them before they are shown.
        const QRgb r = qRgb(255, 0, 0), b = qRgb(0, 0, 255), g = qRgb(0, 255, 0), y = qRgb(255, 255, 0);
        QTest::addRow("top-left") << 1 << false << QSize(40, 20) << QSize(40, 20) << QList<QRgb>{r, r, r, r};
        QTest::addRow("middle") << 1 << true << QSize(64, 32) << QSize(64, 32) << QList<QRgb>{r, b, g, y};
        QTest::addRow("half turn, top-left")
            << 3 << false << QSize(40, 20) << QSize(40, 20) << QList<QRgb>{y, y, y, y};
        QTest::addRow("quarter turn, middle")
            << 6 << true << QSize(32, 64) << QSize(32, 64) << QList<QRgb>{g, r, y, b};
        QTest::addRow("three quarters, top-left")
            << 8 << false << QSize(40, 40) << QSize(40, 40) << QList<QRgb>{b, b, b, b};
        QTest::addRow("smaller than the view: whole, upright")
            << 6 << true << QSize(500, 500) << QSize(80, 160) << QList<QRgb>{g, r, y, b};
    }
    void onlyTheSeenPartIsDecoded()
    {
        QFETCH(int, orientation);
        QFETCH(bool, fromCentre);
        QFETCH(QSize, clipTo);
        QFETCH(QSize, expectedSize);
        QFETCH(QList<QRgb>, corners);
        QImage stored(160, 80, QImage::Format_RGB32);
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 160; ++x)
                stored.setPixel(x, y,
                                y < 40 ? (x < 80 ? qRgb(255, 0, 0) : qRgb(0, 0, 255))
                                       : (x < 80 ? qRgb(0, 255, 0) : qRgb(255, 255, 0)));
        QByteArray bytes = jpeg(stored);
        bytes.insert(2, exifOrientation(quint16(orientation)));
        const QString path = m_dir.filePath(QStringLiteral("turned.jpg"));
        save(path, bytes);

        PictureView view;
        view.clipTo = clipTo;
        view.fromCentre = fromCentre;
        const QImage shown = PictureLoader::load(path, view);
        QCOMPARE(shown.size(), expectedSize);
        const QPoint points[] = {
            {4, 4}, {shown.width() - 5, 4}, {4, shown.height() - 5}, {shown.width() - 5, shown.height() - 5}};
        for (int i = 0; i < 4; ++i) {
            const QRgb seen = shown.pixel(points[i]);
            QVERIFY2(qAbs(qRed(seen) - qRed(corners[i])) < 60 &&
                         qAbs(qGreen(seen) - qGreen(corners[i])) < 60 &&
                         qAbs(qBlue(seen) - qBlue(corners[i])) < 60,
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
        if (!QFile::exists(path)) {
            QImage picture(1600, 1200, QImage::Format_RGB32);
            picture.fill(Qt::darkCyan);
            save(path, jpeg(picture));
        }
        PictureView view;
        view.scaledTo = shownAt;
        QCOMPARE(PictureLoader::load(path, view).size(), expected);
    }

    void picturesAreReadByContent_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format");
        QTest::addRow("DIB") << "photo.dib" << QByteArray("bmp");
        QTest::addRow("WebP") << "photo.webp" << QByteArray("webp");
        QTest::addRow("TIFF") << "photo.tif" << QByteArray("tiff");
        QTest::addRow("PNG") << "photo.png" << QByteArray("png");
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
                picture.setPixel(x, y, qRgb(255, 0, 0));
        const QString path = m_dir.filePath(name);
        QImageWriter writer(path, format);
        writer.setQuality(100);
        QVERIFY2(writer.write(picture), qPrintable(writer.errorString()));

        // A symbolic link to a picture is as good as the picture.
        const QString link = path + QStringLiteral(".link");
        QVERIFY(QFile::link(path, link));
        for (const QString& name : {path, link}) {
            QString reason;
            const QImage read = PictureLoader::load(name, {}, &reason);
            QVERIFY2(!read.isNull(), qPrintable(reason));
            QCOMPARE(read.size(), picture.size());
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
    }
    void unusableFilesGiveNoPicture()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        QString given;
        QVERIFY(PictureLoader::load(path, {}, &given).isNull());
        QVERIFY2(!given.isEmpty() && given.contains(reason), qPrintable(given));
    }

    void hugePicturesAreRefusedBeforeDecoding()
    {
        // Little more than a header: a 20000 x 20000 GIF, 1.6 GB once decoded, which Qt can neither cut nor
        // shrink while decoding.
        QByteArray gif("GIF89a", 6);
        QDataStream out(&gif, QIODevice::Append);
        out.setByteOrder(QDataStream::LittleEndian);
        out << quint16(20000) << quint16(20000) << quint8(0) << quint8(0) << quint8(0) << quint8(',')
            << quint16(0) << quint16(0) << quint16(20000) << quint16(20000) << quint8(0) << quint8(8)
            << quint8(0) << quint8(';');
        const QString path = m_dir.filePath(QStringLiteral("huge.gif"));
        save(path, gif);
        PictureView view;
        view.clipTo = QSize(800, 600);
        QString reason;
        QVERIFY(PictureLoader::load(path, view, &reason).isNull());
        QVERIFY2(reason.contains(QLatin1String("20000 x 20000")), qPrintable(reason));
    }

    void bitmapRoundTrip()
    {
        // Width 3 needs row padding; the colours catch swapped channels and flipped rows.
        QImage image(3, 2, QImage::Format_RGB32);
        const QRgb colours[] = {qRgb(255, 0, 0),  qRgb(0, 255, 0),    qRgb(0, 0, 255),
                                qRgb(10, 20, 30), qRgb(200, 100, 50), qRgb(255, 255, 255)};
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
        const QImage back(path);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(back.pixel(i % 3, i / 3), colours[i]);
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("*tessaly.bmp*")}, QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("tessaly.bmp")});
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

    void areaAverageHasNoAliasing_data()
    {
        QTest::addColumn<QSize>("from");
        QTest::addColumn<QSize>("to");
        QTest::addRow("halves") << QSize(8, 8) << QSize(4, 4);
        QTest::addRow("odd factors") << QSize(9, 7) << QSize(4, 3);
        QTest::addRow("one direction only") << QSize(8, 5) << QSize(2, 5);
    }
    void areaAverageHasNoAliasing()
    {
        QFETCH(QSize, from);
        QFETCH(QSize, to);
        // A one-pixel checkerboard averages to grey whatever the factor; a point sampler gives black or
        // white.
        QImage source(from, QImage::Format_RGB32);
        for (int y = 0; y < from.height(); ++y)
            for (int x = 0; x < from.width(); ++x)
                source.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        QImage canvas(to.width() + 2, to.height() + 2, QImage::Format_RGB32);
        canvas.fill(Qt::red);
        AreaScaler::shrinkInto(source, canvas, QRect(QPoint(1, 1), to));
        for (int y = 1; y <= to.height(); ++y)
            for (int x = 1; x <= to.width(); ++x)
                QVERIFY2(qAbs(qGray(canvas.pixel(x, y)) - 128) <= 60,
                         qPrintable(QString::number(qGray(canvas.pixel(x, y)))));
        QCOMPARE(canvas.pixel(0, 0), qRgb(255, 0, 0)); // nothing outside the target
        QCOMPARE(canvas.pixel(to.width() + 1, to.height() + 1), qRgb(255, 0, 0));
    }

    void areaAverageKeepsFlatColoursExact()
    {
        QImage source(997, 613, QImage::Format_RGB32);
        source.fill(qRgb(13, 200, 97));
        QImage canvas(300, 200, QImage::Format_RGB32);
        AreaScaler::shrinkInto(source, canvas, canvas.rect());
        for (int y = 0; y < 200; y += 7)
            for (int x = 0; x < 300; x += 7)
                QCOMPARE(canvas.pixel(x, y), qRgb(13, 200, 97));
    }
};

QTEST_MAIN(tst_PictureFiles)
#include "tst_PictureFiles.moc"
