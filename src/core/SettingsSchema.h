// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Settings.h"

#include <QString>
#include <initializer_list>
#include <span>

class SettingsFile;

/** How a setting's text is converted where it is used. */
enum class SettingType { Text, Integer, Number, Flag, Colour, DateTime };

/**
 * One key of the settings file: where it lives, its form, the value shipped, the bounds of a number
 * (none when low > high), its field, and a word the key takes beside its numbers (none when null).
 */
struct SettingSpec
{
    const char* section;
    const char* key;
    SettingType type;
    const char* shippedDefault;
    double low;
    double high;
    QString Settings::*field;
    const char* word = nullptr;
};

/** The one table of every key the program reads and writes (the picture list's sections aside). */
class SettingsSchema
{
public:
    /** Every key, in the order start-up reads them. */
    static std::span<const SettingSpec> all();
    /** The table's row of a field; every field of Settings but settingsPath and nextMinuteChange has one. */
    static const SettingSpec& of(QString Settings::*field);

    /** Reads every key into a record, as text, exactly as stored; a missing or malformed one as shipped. */
    static Settings readAll(SettingsFile& file);
    /** Some fields of a record, such as one dialog sets. */
    using Fields = QList<QString Settings::*>;
    /** Writes the fields' text to their keys in the given order, as one save of the file. */
    [[nodiscard]] static bool write(SettingsFile& file, const Settings& settings, const Fields& fields);
    /** Gives `to` the fields' values in `from`, leaving its others alone. */
    static void copy(const Settings& from, Settings& to, const Fields& fields);

    /**
     * The text when it is a value of the key's type within its bounds (or the key's word), else the
     * key's shipped value. CheckedSettings converts what this gives.
     */
    static QString checked(const SettingSpec& spec, const QString& text);
};
