// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Result.h"
#include "Settings.h"

#include <QString>
#include <initializer_list>
#include <span>

class SettingsFile;
struct IniEdit;

/** How a setting's text is converted where it is used. */
enum class SettingType { Text, Integer, Number, Flag, Colour, DateTime };

/**
 * One key of the settings file: where it lives, its form, the value in the shipped file, the bounds of
 * a number (none when low > high), its field, a word the key takes beside its numbers (none when null),
 * and what a file without the key, or with a value that does not read, stands for when that is not the
 * shipped value (null: the shipped value).
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
    const char* whenMissing = nullptr;

    /** The value a missing or malformed key is read as. */
    const char* fallback() const { return whenMissing != nullptr ? whenMissing : shippedDefault; }
};

/**
 * The one table of every key the program reads and writes, and the picture list's sections beside it
 * (whose keys are the positions 0, 1, 2...).
 */
class SettingsSchema
{
public:
    /**
     * The sections of the picture list (a picture's path, and its caption under the same position), and
     * of the watched folders and the pictures of them the user took out of the list, which an older copy
     * does not read: to it the pictures are plain entries of the list.
     */
    enum class ListSection { Paths, Captions, WatchedFolders, LeftOut };
    static QString section(ListSection list);

    /** Every key, in the order start-up reads them. */
    static std::span<const SettingSpec> all();
    /** The table's row of a field; every field of Settings but settingsPath and nextMinuteChange has one. */
    static const SettingSpec& of(QString Settings::*field);

    /** Reads every key into a record, as text, exactly as stored; a missing or malformed one as fallback. */
    static Settings readAll(SettingsFile& file);
    /** The text stored under a field's key, unchecked (empty when missing). */
    static QString read(SettingsFile& file, QString Settings::*field);
    /** The edit that writes text to a field's key, for a save that writes more than settings. */
    static IniEdit edit(QString Settings::*field, const QString& text);
    /** Some fields of a record, such as one dialog sets. */
    using Fields = QList<QString Settings::*>;
    /** Writes the fields' text to their keys in the given order, as one save of the file. */
    static Result<> write(SettingsFile& file, const Settings& settings, const Fields& fields);
    /** Gives `to` the fields' values in `from`, leaving its others alone. */
    static void copy(const Settings& from, Settings& to, const Fields& fields);

    /**
     * The text when it is a value of the key's type within its bounds (or the key's word), else the
     * key's fallback. CheckedSettings converts what this gives.
     */
    static QString checked(const SettingSpec& spec, const QString& text);
};
