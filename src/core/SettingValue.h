// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

/**
 * The text forms of settings values. Readers accept the forms of files written on Windows too;
 * writers produce text that reads back to the same value.
 */
class SettingValue
{
public:
    /** Decimal text with "." or "," as separator, surrounding blanks allowed. */
    static std::optional<double> toNumber(const QString& text);
    /** A number rounded half to even and clamped to -32768..32767. */
    static std::optional<qint16> toInt16(const QString& text);
    /** "True"/"False" in any case, or a number (0 is false). */
    static std::optional<bool> toFlag(const QString& text);
    /** A 32-bit integer, red in the lowest byte. */
    static std::optional<qint32> toColour(const QString& text);
    /**
     * ISO "yyyy-MM-dd HH:mm:ss" or "yyyy-MM-dd"; the locale's short date with its time (no zone); and, in
     * every locale, "d/M/yyyy H:mm:ss", "d.M.yyyy H:mm:ss" and "M/d/yyyy h:mm:ss AP". The locale decides
     * an ambiguous day and month.
     */
    static std::optional<QDateTime> toDateTime(const QString& text, const QLocale& locale = QLocale());

    static QString fromNumber(double value);
    static QString fromFlag(bool value);
    /** "yyyy-MM-dd HH:mm:ss", or "yyyy-MM-dd" alone at midnight. */
    static QString fromDateTime(const QDateTime& value);
};
