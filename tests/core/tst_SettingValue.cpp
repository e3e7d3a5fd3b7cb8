// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/SettingValue.h"

#include <QTest>

namespace {
// Files come from every locale, and the program runs in every locale.
const QStringList kLocales{"C", "en_US", "en_GB", "de_DE", "fr_FR", "ja_JP"};
} // namespace

class tst_SettingValue : public QObject
{
    Q_OBJECT

private slots:
    /** Each kind of value, as text: what it converts to, or "-" when it does not convert. */
    void conversions_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* kind, const char* text, const char* expected) {
            QTest::addRow("%s \"%s\"", kind, text) << kind << text << expected;
        };
        for (const auto& [text, expected] :
             std::initializer_list<std::pair<const char*, const char*>>{{"12", "12"},
                                                                        {"  7 ", "7"},
                                                                        {"2.0", "2"},
                                                                        {"1,0", "1"},
                                                                        {"2.5", "2"},
                                                                        {"3.5", "4"},
                                                                        {"-0.5", "0"},
                                                                        {"40000", "32767"},
                                                                        {"-40000", "-32768"},
                                                                        {"1e3", "1000"},
                                                                        {"", "-"},
                                                                        {"seven", "-"},
                                                                        {"7x", "-"},
                                                                        {"inf", "-"},
                                                                        {"nan", "-"}})
            row("int16", text, expected);
        for (const auto& [text, expected] :
             std::initializer_list<std::pair<const char*, const char*>>{{"True", "1"},
                                                                        {"TRUE", "1"},
                                                                        {"false", "0"},
                                                                        {"1", "1"},
                                                                        {"0", "0"},
                                                                        {"-1", "1"},
                                                                        {"0.0", "0"},
                                                                        {"", "-"},
                                                                        {"yes", "-"}})
            row("flag", text, expected);
        for (const auto& [text, expected] :
             std::initializer_list<std::pair<const char*, const char*>>{{"255", "255"},
                                                                        {"16777215", "16777215"},
                                                                        {"-2147483643", "-2147483643"},
                                                                        {"4294967296", "-"},
                                                                        {"", "-"}})
            row("colour", text, expected);
    }
    void conversions()
    {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        std::optional<qint64> got;
        if (kind == "int16")
            got = SettingValue::toInt16(text);
        else if (kind == "flag")
            got = SettingValue::toFlag(text);
        else
            got = SettingValue::toColour(text);
        QCOMPARE(got ? QString::number(*got) : QStringLiteral("-"), expected);
    }

    void dateTimeReads_data()
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
    void dateTimeReads()
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

    void writtenValuesReadBack_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("written");
        QTest::addRow("afternoon") << QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59))
                                   << "2026-12-31 23:59:59";
        QTest::addRow("midnight") << QDateTime(QDate(2027, 1, 1), QTime(0, 0)) << "2027-01-01";
        QTest::addRow("past midnight")
            << QDateTime(QDate(2027, 1, 1), QTime(0, 0, 1)) << "2027-01-01 00:00:01";
    }
    void writtenValuesReadBack()
    {
        QFETCH(QDateTime, when);
        QFETCH(QString, written);
        for (const QString& name : kLocales) {
            QLocale::setDefault(QLocale(name));
            QCOMPARE(SettingValue::fromDateTime(when), written);
            QCOMPARE(SettingValue::toDateTime(written).value_or(QDateTime()), when);
        }
        QLocale::setDefault(QLocale::c());
        for (const double number : {16.0, 10.5, 16777215.0, 0.1}) {
            const QString text = SettingValue::fromNumber(number);
            QVERIFY2(!text.contains(QLatin1Char('e')), qPrintable(text));
            QCOMPARE(SettingValue::toNumber(text).value_or(-1), number);
        }
    }
};

QTEST_GUILESS_MAIN(tst_SettingValue)
#include "tst_SettingValue.moc"
