// SPDX-License-Identifier: GPL-3.0-or-later
// A caption as drawn: its words replaced, braces escaped, the default caption for pictures without one,
// and the date from the photo's EXIF data or else its file.
#include "NativeFileSystem.h"
#include "ShownCaption.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

/**
 * EXIF data in TIFF form holding `taken` as DateTimeOriginal. Its first directory lies after `strip`
 * bytes of image data, as libtiff and ImageMagick write it; a looped chain links both directories back to
 * the first.
 */
QByteArray exifTiff(const QByteArray& taken, bool littleEndian, int strip = 0, bool looped = false)
{
    const auto n16 = [=](quint16 v) {
        const char low = char(v & 0xff), high = char(v >> 8);
        return littleEndian ? QByteArray() + low + high : QByteArray() + high + low;
    };
    const auto n32 = [=](quint32 v) {
        return littleEndian ? n16(v & 0xffff) + n16(v >> 16) : n16(v >> 16) + n16(v & 0xffff);
    };
    // Directory 0 at `first` with one entry pointing at the Exif directory 18 bytes on, whose one entry
    // points at the text 18 bytes further.
    const quint32 first = 8 + strip, next = looped ? first : 0;
    QByteArray tiff = (littleEndian ? QByteArray("II") : QByteArray("MM")) + n16(42) + n32(first);
    tiff += QByteArray(strip, '\x55');
    tiff += n16(1) + n16(0x8769) + n16(4) + n32(1) + n32(first + 18) + n32(next);
    tiff += n16(1) + n16(0x9003) + n16(2) + n32(20) + n32(first + 36) + n32(next);
    return tiff + taken + QByteArray(1, '\0');
}

/** A JPEG's first bytes: `others` full-sized APP2 segments (64 KB each), then an EXIF segment. */
QByteArray jpegHead(const QByteArray& taken, bool littleEndian, int others = 0)
{
    const QByteArray segment = QByteArray("Exif\0\0", 6) + exifTiff(taken, littleEndian);
    const int length = int(segment.size()) + 2;
    // An APP0 segment first, as cameras and editors write it.
    QByteArray jpeg("\xff\xd8\xff\xe0\x00\x04\x00\x00", 8);
    for (int i = 0; i < others; ++i)
        jpeg += QByteArray("\xff\xe2\xff\xff", 4) + QByteArray(0xffff - 2, '\x55');
    return jpeg + "\xff\xe1" + char(length >> 8) + char(length & 0xff) + segment + QByteArray("\xff\xda", 2);
}

} // namespace

class tst_ShownCaption : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    /** A file in the folder "Holiday 2021" with the given bytes, last changed on 2019-07-04 at noon. */
    QString file(const char* name, const QByteArray& bytes)
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("Holiday 2021"));
        const QString path = m_dir.filePath(QStringLiteral("Holiday 2021/") + QLatin1String(name));
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush())
            return {};
        out.setFileTime(QDateTime(QDate(2019, 7, 4), QTime(12, 0)), QFileDevice::FileModificationTime);
        return path;
    }

private slots:
    void words_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("defaultCaption");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QByteArray>("zone"); // the local time zone, when it matters
        const QString plain = file("beach.day.jpg", "not a picture");
        const QDate changed(2019, 7, 4), taken(2021, 3, 14);
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const auto day = [&us](QDate d) {
            return us.toString(d, QLocale::ShortFormat);
        };
        const auto row = [](const char* name, const QString& caption, const QString& defaultCaption,
                            const QString& path, const QString& expected) {
            QTest::addRow("%s", name) << caption << defaultCaption << path << expected << QByteArray();
        };
        row("no braces: byte for byte", "Ça va; 50% = ok {x", "{name}", plain, "Ça va; 50% = ok {x");
        row("name, folder, index, total", "{name} in {folder}, {index} of {total}", "", plain,
            "beach.day in Holiday 2021, 5 of 12");
        row("escaped braces", "{{name}} {{{name}}} }}{{", "", plain, "{name} {beach.day} }{");
        row("unknown words and lone braces kept", "{Name} {size} } {", "", plain, "{Name} {size} } {");
        row("default for an empty caption", "", "#{index}: {name}", plain, "#5: beach.day");
        row("a blank caption is its own", " ", "{name}", plain, " ");
        row("no default: none", "", "", plain, "");
        row("date taken, big-endian EXIF", "{date}", "",
            file("mm.jpg", jpegHead("2021:03:14 23:59:58", false)), day(taken));
        row("date taken, little-endian EXIF", "{date}", "",
            file("ii.jpg", jpegHead("2021:03:14 00:00:01", true)), day(taken));
        row("blank EXIF date: the file's", "{date}", "",
            file("blank.jpg", jpegHead("    :  :     :  :  ", true)), day(changed));
        QByteArray cut = jpegHead("2021:03:14 10:00:00", false);
        cut[18 + 36] = char(0x7f); // the text's offset (after 18 bytes of markers) points far past the end
        row("EXIF date out of bounds: the file's", "{date}", "", file("cut.jpg", cut), day(changed));
        // Past the first 256 KB: the directory behind a large strip, the EXIF segment behind large ones.
        row("date taken, TIFF, directory after the image data", "{date}", "",
            file("strip.tif", exifTiff("2021:03:14 12:00:00", true, 300 * 1024)), day(taken));
        row("date taken, big-endian TIFF, directories linked in a loop", "{date}", "",
            file("loop.tif", exifTiff("2021:03:14 12:00:00", false, 300 * 1024, true)), day(taken));
        row("date taken, EXIF segment after large ones", "{date}", "",
            file("late.jpg", jpegHead("2021:03:14 12:00:00", true, 5)), day(taken));
        // Berlin's clocks went from 02:00 to 03:00 that night: the camera's clock is shown as it was.
        QTest::addRow("date taken in the hour summer time skips")
            << "{date}"
            << "" << file("gap.jpg", jpegHead("2023:03:26 02:30:00", false)) << day(QDate(2023, 3, 26))
            << QByteArray("Europe/Berlin");
        row("no EXIF: the file's", "{date}", "", plain, day(changed));
        row("missing file: no date", "[{date}]", "", m_dir.filePath(QStringLiteral("gone.jpg")), "[]");
    }
    void words()
    {
        QFETCH(QString, caption);
        QFETCH(QString, defaultCaption);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QFETCH(QByteArray, zone);
        const QByteArray oldZone = qgetenv("TZ");
        if (!zone.isEmpty())
            qputenv("TZ", zone);
        const auto restore = qScopeGuard([&] {
            if (!zone.isEmpty())
                oldZone.isNull() ? qunsetenv("TZ") : qputenv("TZ", oldZone);
        });
        const ShownCaption::Source source{caption, defaultCaption, path, 4, 12};
        const QString shown = ShownCaption::text(source, NativeFileSystem::instance(),
                                                 QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(shown, expected);
    }
};

QTEST_GUILESS_MAIN(tst_ShownCaption)
#include "tst_ShownCaption.moc"
