// SPDX-License-Identifier: GPL-3.0-or-later
// A caption as drawn: its words replaced, braces escaped, the default caption for pictures without one,
// and the date from the photo's EXIF data or else its file.
#include "NativeFileSystem.h"
#include "core/ShownCaption.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

/** A JPEG's first bytes: an EXIF segment whose Exif directory holds `taken` as DateTimeOriginal. */
QByteArray jpegHead(const QByteArray& taken, bool littleEndian)
{
    const auto n16 = [=](quint16 v) {
        const char low = char(v & 0xff), high = char(v >> 8);
        return littleEndian ? QByteArray() + low + high : QByteArray() + high + low;
    };
    const auto n32 = [=](quint32 v) {
        return littleEndian ? n16(v & 0xffff) + n16(v >> 16) : n16(v >> 16) + n16(v & 0xffff);
    };
    // Header (8), directory 0 at 8 with one entry pointing at the Exif directory at 26, whose one entry
    // points at the text at 44.
    QByteArray tiff = (littleEndian ? QByteArray("II") : QByteArray("MM")) + n16(42) + n32(8);
    tiff += n16(1) + n16(0x8769) + n16(4) + n32(1) + n32(26) + n32(0);
    tiff += n16(1) + n16(0x9003) + n16(2) + n32(20) + n32(44) + n32(0);
    tiff += taken + QByteArray(1, '\0');
    const QByteArray segment = QByteArray("Exif\0\0", 6) + tiff;
    const int length = int(segment.size()) + 2;
    // An APP0 segment first, as cameras and editors write it.
    return QByteArray("\xff\xd8\xff\xe0\x00\x04\x00\x00\xff\xe1", 10) + char(length >> 8) +
           char(length & 0xff) + segment + QByteArray("\xff\xda", 2);
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
        const QString plain = file("beach.day.jpg", "not a picture");
        const QDate changed(2019, 7, 4), taken(2021, 3, 14);
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const auto day = [&us](QDate d) {
            return us.toString(d, QLocale::ShortFormat);
        };
        const auto row = [](const char* name, const QString& caption, const QString& defaultCaption,
                            const QString& path, const QString& expected) {
            QTest::addRow("%s", name) << caption << defaultCaption << path << expected;
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
        row("no EXIF: the file's", "{date}", "", plain, day(changed));
        row("missing file: no date", "[{date}]", "", m_dir.filePath(QStringLiteral("gone.jpg")), "[]");
    }
    void words()
    {
        QFETCH(QString, caption);
        QFETCH(QString, defaultCaption);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        const ShownCaption::Source source{caption, defaultCaption, path, 4, 12};
        const QString shown = ShownCaption::text(source, NativeFileSystem::instance(),
                                                 QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(shown, expected);
    }
};

QTEST_GUILESS_MAIN(tst_ShownCaption)
#include "tst_ShownCaption.moc"
