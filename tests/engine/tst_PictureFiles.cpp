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
    void exifOrientationIsApplied()
    {
        // Left half red, right half blue; orientation 6 means "turn a quarter clockwise to show".
        QImage stored(40, 20, QImage::Format_RGB32);
        stored.fill(Qt::blue);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                stored.setPixel(x, y, qRgb(255, 0, 0));
        QByteArray bytes = jpeg(stored);
        bytes.insert(2, exifOrientation(6));
        const QString path = m_dir.filePath(QStringLiteral("turned.jpg"));
        save(path, bytes);

        const QImage shown = PictureLoader::load(path);
        QCOMPARE(shown.size(), QSize(20, 40));
        QVERIFY(qRed(shown.pixel(10, 5)) > 200 && qBlue(shown.pixel(10, 5)) < 60);
        QVERIFY(qBlue(shown.pixel(10, 35)) > 200 && qRed(shown.pixel(10, 35)) < 60);
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
        QCOMPARE(PictureLoader::load(path, shownAt).size(), expected);
    }

    void unreadableFilesGiveNoPicture_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addRow("text") << QByteArray("not a picture");
        QTest::addRow("empty") << QByteArray();
        QTest::addRow("truncated JPEG header") << QByteArray("\xff\xd8\xff\xe0\x00", 5);
    }
    void unreadableFilesGiveNoPicture()
    {
        QFETCH(QByteArray, bytes);
        const QString path = m_dir.filePath(QStringLiteral("bad.jpg"));
        save(path, bytes);
        QVERIFY(PictureLoader::load(path).isNull());
        QVERIFY(PictureLoader::load(m_dir.filePath(QStringLiteral("missing.gif"))).isNull());
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
        QVERIFY(BitmapWriter::write(QImage(7, 7, QImage::Format_RGB32), path));
        QVERIFY(BitmapWriter::write(image, path));

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
        QVERIFY(BitmapWriter::write(QImage(5, 5, QImage::Format_RGB32), path));
        const QStringList before =
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        FaultyFileSystem fs;
        // A few blocks of pixels, so that the disk fills up in the middle of the bitmap.
        fs.failAt(FaultyFileSystem::Step(step), error, 1500000);
        QImage image(1000, 1000, QImage::Format_RGB32);
        image.fill(Qt::red);
        QString why;
        QVERIFY(!BitmapWriter::write(image, path, &why, fs));
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
