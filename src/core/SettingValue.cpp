// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingValue.h"

#include <cmath>
#include <limits>

namespace {

// Both are plain loops rather than regular expressions: they run at every start, and a first regular
// expression brings in the regular-expression library's pages and its compiled code, half a megabyte
// the idle program would hold for nothing.

/** Qt 6's long time format ends in the time zone, which neither Windows nor this program writes. */
QString withoutZone(const QString& timeFormat)
{
    QString kept;
    for (const QChar c : timeFormat) {
        if (c != QLatin1Char('t')) {
            kept += c;
            continue;
        }
        // The zone goes with the blanks before it.
        while (!kept.isEmpty() && kept.back().isSpace())
            kept.chop(1);
    }
    return kept.trimmed();
}

/** Windows writes four-digit years where Qt's short formats read two ("M/d/yy", "dd.MM.yy"). */
QString fourDigitYear(const QString& dateFormat)
{
    QString result;
    for (qsizetype i = 0; i < dateFormat.size();) {
        qsizetype run = 0;
        while (i + run < dateFormat.size() && dateFormat.at(i + run) == QLatin1Char('y'))
            ++run;
        if (run == 0) {
            result += dateFormat.at(i++);
            continue;
        }
        result += QString(run == 2 ? 4 : run, QLatin1Char('y'));
        i += run;
    }
    return result;
}

} // namespace

std::optional<double> SettingValue::toNumber(const QString& text)
{
    QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    // Files written under a comma locale hold "10,5"; a lone comma is the decimal separator there.
    if (t.count(QLatin1Char(',')) == 1 && !t.contains(QLatin1Char('.')))
        t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<qint16> SettingValue::toInt16(const QString& text)
{
    const std::optional<double> value = toNumber(text);
    if (!value)
        return std::nullopt;
    // nearbyint rounds halves to the even neighbour in the default rounding mode.
    const double rounded = std::nearbyint(*value);
    if (rounded > std::numeric_limits<qint16>::max())
        return std::numeric_limits<qint16>::max();
    if (rounded < std::numeric_limits<qint16>::min())
        return std::numeric_limits<qint16>::min();
    return static_cast<qint16>(rounded);
}

std::optional<bool> SettingValue::toFlag(const QString& text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    const std::optional<double> value = toNumber(t);
    if (!value)
        return std::nullopt;
    return *value != 0.0;
}

std::optional<qint32> SettingValue::toColour(const QString& text)
{
    const std::optional<double> value = toNumber(text);
    if (!value)
        return std::nullopt;
    const double rounded = std::nearbyint(*value);
    if (rounded > std::numeric_limits<qint32>::max() || rounded < std::numeric_limits<qint32>::min())
        return std::nullopt;
    return static_cast<qint32>(rounded);
}

std::optional<QDateTime> SettingValue::toDateTime(const QString& text, const QLocale& locale)
{
    const QString t = text.simplified();
    if (t.isEmpty())
        return std::nullopt;
    const QLocale c = QLocale::c();
    const QString date = fourDigitYear(locale.dateFormat(QLocale::ShortFormat));
    // The locale's own order decides an ambiguous day and month first; then the forms files written on
    // Windows hold from other locales, day first, and the American one last.
    const QList<std::pair<QLocale, QString>> dateTimeForms = {
        {c, QStringLiteral("yyyy-MM-dd HH:mm:ss")},
        {c, QStringLiteral("yyyy-MM-ddTHH:mm:ss")},
        {locale, date + QLatin1Char(' ') + withoutZone(locale.timeFormat(QLocale::LongFormat))},
        {locale, date + QLatin1Char(' ') + withoutZone(locale.timeFormat(QLocale::ShortFormat))},
        {locale, date + QStringLiteral(" H:mm:ss")},
        {c, QStringLiteral("d/M/yyyy H:mm:ss")},
        {c, QStringLiteral("d.M.yyyy H:mm:ss")},
        {c, QStringLiteral("M/d/yyyy h:mm:ss AP")},
        {c, QStringLiteral("M/d/yyyy H:mm:ss")},
    };
    for (const auto& [loc, form] : dateTimeForms) {
        const QDateTime value = loc.toDateTime(t, form);
        if (value.isValid())
            return value;
    }
    // Dates alone are midnight of that day, as they were written.
    const QList<std::pair<QLocale, QString>> dateForms = {
        {c, QStringLiteral("yyyy-MM-dd")}, {locale, date},
        {c, QStringLiteral("d/M/yyyy")},   {c, QStringLiteral("d.M.yyyy")},
        {c, QStringLiteral("M/d/yyyy")},
    };
    for (const auto& [loc, form] : dateForms) {
        const QDate value = loc.toDate(t, form);
        if (value.isValid())
            return QDateTime(value, QTime(0, 0));
    }
    return std::nullopt;
}

QString SettingValue::fromNumber(double value)
{
    // Whole numbers are written without an exponent, as a person would type them.
    if (std::trunc(value) == value && std::abs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    return QLocale::c().toString(value, 'g', QLocale::FloatingPointShortest);
}

QString SettingValue::fromFlag(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString SettingValue::fromDateTime(const QDateTime& value)
{
    if (value.time() == QTime(0, 0))
        return value.toString(QStringLiteral("yyyy-MM-dd"));
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
