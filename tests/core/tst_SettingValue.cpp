// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/SettingValue.h"

#include <QTest>

class tst_SettingValue : public QObject
{
    Q_OBJECT

private slots:
    void int16_data();
    void int16();
    void flag_data();
    void flag();
    void colour_data();
    void colour();
    void dateTimeReads_data();
    void dateTimeReads();
    void dateTimeRoundTrip_data();
    void dateTimeRoundTrip();
    void numberWritesReadBack_data();
    void numberWritesReadBack();
};

void tst_SettingValue::int16_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<int>("value");

    QTest::addRow("plain") << "12" << true << 12;
    QTest::addRow("blanks around") << "  7 " << true << 7;
    QTest::addRow("decimal point") << "2.0" << true << 2;
    QTest::addRow("decimal comma") << "1,0" << true << 1;
    QTest::addRow("half to even down") << "2.5" << true << 2;
    QTest::addRow("half to even up") << "3.5" << true << 4;
    QTest::addRow("negative half") << "-0.5" << true << 0;
    QTest::addRow("above range clamps") << "40000" << true << 32767;
    QTest::addRow("below range clamps") << "-40000" << true << -32768;
    QTest::addRow("exponent") << "1e3" << true << 1000;
    QTest::addRow("empty") << "" << false << 0;
    QTest::addRow("word") << "seven" << false << 0;
    QTest::addRow("trailing junk") << "7x" << false << 0;
    QTest::addRow("infinity") << "inf" << false << 0;
    QTest::addRow("not a number") << "nan" << false << 0;
}

void tst_SettingValue::int16()
{
    QFETCH(QString, text);
    QFETCH(bool, converts);
    QFETCH(int, value);
    const std::optional<qint16> result = SettingValue::toInt16(text);
    QCOMPARE(result.has_value(), converts);
    if (converts)
        QCOMPARE(int(*result), value);
}

void tst_SettingValue::flag_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // -1: does not convert

    QTest::addRow("True") << "True" << 1;
    QTest::addRow("TRUE") << "TRUE" << 1;
    QTest::addRow("false lower") << "false" << 0;
    QTest::addRow("one") << "1" << 1;
    QTest::addRow("zero") << "0" << 0;
    QTest::addRow("minus one") << "-1" << 1;
    QTest::addRow("zero point zero") << "0.0" << 0;
    QTest::addRow("empty") << "" << -1;
    QTest::addRow("yes") << "yes" << -1;
}

void tst_SettingValue::flag()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    const std::optional<bool> result = SettingValue::toFlag(text);
    QCOMPARE(result.has_value(), expected >= 0);
    if (result)
        QCOMPARE(int(*result), expected);
}

void tst_SettingValue::colour_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<qint32>("value");

    QTest::addRow("red") << "255" << true << 255;
    QTest::addRow("white") << "16777215" << true << 16777215;
    QTest::addRow("negative system colour") << "-2147483643" << true << qint32(-2147483643);
    QTest::addRow("too large") << "4294967296" << false << 0;
    QTest::addRow("empty") << "" << false << 0;
}

void tst_SettingValue::colour()
{
    QFETCH(QString, text);
    QFETCH(bool, converts);
    QFETCH(qint32, value);
    const std::optional<qint32> result = SettingValue::toColour(text);
    QCOMPARE(result.has_value(), converts);
    if (converts)
        QCOMPARE(*result, value);
}

namespace {
// Files come from every locale, and the program runs in every locale.
const QStringList kLocales{"C", "en_US", "en_GB", "de_DE", "fr_FR", "ja_JP"};
} // namespace

void tst_SettingValue::dateTimeReads_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("onlyIn");
    QTest::addColumn<QDateTime>("expected");
    const QDateTime afternoon(QDate(2026, 3, 14), QTime(15, 9, 26));
    const QDateTime midnight(QDate(2026, 3, 14), QTime(0, 0));
    const QDateTime lastSecond(QDate(2099, 12, 31), QTime(23, 59, 59));
    const auto row = [](const char* name, const char* text, const QDateTime& expected,
                        const char* onlyIn = "") {
        QTest::addRow("%s", name) << QString::fromUtf8(text) << QString::fromUtf8(onlyIn) << expected;
    };
    row("iso", "2026-03-14 15:09:26", afternoon);
    row("iso date alone is midnight", "2026-03-14", midnight);
    row("windows program, PM", "3/14/2026 3:09:26 PM", afternoon);
    row("windows program, date alone", "3/14/2026", midnight);
    row("windows program, AM", "3/14/2026 12:00:01 AM", QDateTime(QDate(2026, 3, 14), QTime(0, 0, 1)));
    row("british or french windows", "31/12/2099 23:59:59", lastSecond);
    row("german windows", "31.12.2099 23:59:59", lastSecond);
    row("american windows", "12/31/2099 11:59:59 PM", lastSecond);
    row("japanese locale's own", "2099/12/31 23:59:59", lastSecond, "ja_JP");
    row("ambiguous, american locale: month first", "01/02/2099 10:00:00",
        QDateTime(QDate(2099, 1, 2), QTime(10, 0)), "en_US");
    row("ambiguous, british locale: day first", "01/02/2099 10:00:00",
        QDateTime(QDate(2099, 2, 1), QTime(10, 0)), "en_GB");
    row("empty", "", QDateTime());
    row("garbage", "next tuesday", QDateTime());
}

void tst_SettingValue::dateTimeReads()
{
    QFETCH(QString, text);
    QFETCH(QString, onlyIn);
    QFETCH(QDateTime, expected);
    for (const QString& name : onlyIn.isEmpty() ? kLocales : QStringList{onlyIn}) {
        QLocale::setDefault(QLocale(name));
        const std::optional<QDateTime> result = SettingValue::toDateTime(text);
        QVERIFY2(result.has_value() == expected.isValid(), qPrintable(name));
        if (result)
            QCOMPARE(*result, expected);
    }
    QLocale::setDefault(QLocale::c());
}

void tst_SettingValue::dateTimeRoundTrip_data()
{
    QTest::addColumn<QDateTime>("value");
    QTest::addRow("afternoon") << QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59));
    QTest::addRow("midnight") << QDateTime(QDate(2027, 1, 1), QTime(0, 0));
    QTest::addRow("one second past midnight") << QDateTime(QDate(2027, 1, 1), QTime(0, 0, 1));
}

void tst_SettingValue::dateTimeRoundTrip()
{
    QFETCH(QDateTime, value);
    for (const QString& name : kLocales) {
        QLocale::setDefault(QLocale(name));
        const std::optional<QDateTime> back = SettingValue::toDateTime(SettingValue::fromDateTime(value));
        QVERIFY2(back.has_value(), qPrintable(name));
        QCOMPARE(*back, value);
    }
    QLocale::setDefault(QLocale::c());
    if (value.time() == QTime(0, 0))
        QCOMPARE(SettingValue::fromDateTime(value), value.date().toString(Qt::ISODate));
}

void tst_SettingValue::numberWritesReadBack_data()
{
    QTest::addColumn<double>("value");
    QTest::addRow("whole") << 16.0;
    QTest::addRow("fraction") << 10.5;
    QTest::addRow("large whole") << 16777215.0;
    QTest::addRow("small fraction") << 0.1;
}

void tst_SettingValue::numberWritesReadBack()
{
    QFETCH(double, value);
    const QString text = SettingValue::fromNumber(value);
    QVERIFY2(!text.contains(QLatin1Char('e')), qPrintable(text));
    QCOMPARE(SettingValue::toNumber(text).value_or(-1), value);
}

QTEST_GUILESS_MAIN(tst_SettingValue)
#include "tst_SettingValue.moc"
