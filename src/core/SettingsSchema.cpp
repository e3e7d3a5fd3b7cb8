// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsSchema.h"

#include "IniEdit.h"
#include "SettingValue.h"
#include "SettingsFile.h"
#include "ShuffleOrder.h"

#include <array>

namespace {

using T = SettingType;
// No bounds: any value of the type is in range.
constexpr double Any = 0, AnyHigh = -1;

// Start-up reads the keys in this order. The shipped values are those of the shipped tessdesk.ini.
constexpr std::array<SettingSpec, 28> kSchema{{
    {"display", "imageNum", T::Integer, "0", Any, AnyHigh, &Settings::imageNum},
    {"total", "total", T::Integer, "0", Any, AnyHigh, &Settings::total},
    {"display", "displayType", T::Integer, "0", 0, 2, &Settings::displayType},
    {"display", "sequenceType", T::Integer, "0", 0, 1, &Settings::sequenceType, ShuffleOrder::StoredValue},
    // Words an older copy does not read: it goes on by displayType, which the Display dialog keeps at 0.
    {"display", "fitting", T::Text, "", Any, AnyHigh, &Settings::fitting},
    {"display", "screens", T::Text, "", Any, AnyHigh, &Settings::screens},
    {"font", "captionPosition", T::Integer, "2", 0, 2, &Settings::captionPosition},
    {"font", "onOffCaption", T::Integer, "0", 0, 1, &Settings::onOffCaption},
    {"font", "newFontName", T::Text, "DejaVu Sans", Any, AnyHigh, &Settings::newFontName},
    {"font", "newFontSize", T::Number, "16", 10, 48, &Settings::newFontSize},
    {"font", "newFontBold", T::Flag, "True", Any, AnyHigh, &Settings::newFontBold},
    {"font", "newFontItalic", T::Flag, "False", Any, AnyHigh, &Settings::newFontItalic},
    {"font", "newFontUnderline", T::Flag, "False", Any, AnyHigh, &Settings::newFontUnderline},
    {"font", "newFontFontStrikethru", T::Flag, "False", Any, AnyHigh, &Settings::newFontFontStrikethru},
    {"font", "newFontForeColor", T::Colour, "0", 0, 0xffffff, &Settings::newFontForeColor},
    // The shipped file turns on a readable style; absent from an older file, these keep its plain caption.
    {"font", "captionEffect", T::Integer, "1", 0, 3, &Settings::captionEffect, nullptr, "0"},
    {"font", "automaticColour", T::Flag, "True", Any, AnyHigh, &Settings::automaticColour, nullptr, "False"},
    {"font", "defaultCaption", T::Text, "", Any, AnyHigh, &Settings::defaultCaption},
    {"time", "changeEveryBoot", T::Integer, "0", 0, 1, &Settings::changeEveryBoot},
    {"time", "timeOption", T::Integer, "1", Any, AnyHigh, &Settings::timeOption},
    {"time", "timeMin", T::Integer, "30", 1, 60, &Settings::timeMin},
    {"time", "timeHour", T::Integer, "1", 1, 24, &Settings::timeHour},
    {"time", "timeDay", T::Integer, "1", 1, 10, &Settings::timeDay},
    {"time", "ChangeTime", T::DateTime, "", Any, AnyHigh, &Settings::ChangeTime},
    {"desktop", "backend", T::Text, "auto", Any, AnyHigh, &Settings::backend},
    {"desktop", "command", T::Text, "", Any, AnyHigh, &Settings::command},
    {"window", "geometry", T::Text, "", Any, AnyHigh, &Settings::windowGeometry},
    // A file without the record comes from before it existed, of a program that has run before.
    {"tessaly", "firstRun", T::Flag, "True", Any, AnyHigh, &Settings::firstRun, nullptr, "False"},
}};

// In the order of SettingsSchema::ListSection.
constexpr std::array<const char*, 4> kListSections{"images", "caption", "folders", "folders left out"};

/** Whether text is a value of the key's type within its bounds; numbers are rounded as they are used. */
bool isWellFormed(const SettingSpec& spec, const QString& text)
{
    if (spec.word != nullptr && text == QLatin1String(spec.word))
        return true;
    std::optional<double> value;
    switch (spec.type) {
    case T::Text:
        return !text.trimmed().isEmpty() || spec.fallback()[0] == '\0';
    case T::Flag:
        return SettingValue::toFlag(text).has_value();
    case T::Colour:
        value = SettingValue::toColour(text);
        break;
    case T::DateTime:
        return SettingValue::toDateTime(text).has_value();
    case T::Integer:
        if (const std::optional<qint16> whole = SettingValue::toInt16(text))
            value = *whole;
        break;
    case T::Number:
        value = SettingValue::toNumber(text);
        break;
    }
    return value && (spec.low > spec.high || (*value >= spec.low && *value <= spec.high));
}

} // namespace

QString SettingsSchema::section(ListSection list)
{
    return QLatin1String(kListSections[std::size_t(list)]);
}

std::span<const SettingSpec> SettingsSchema::all()
{
    return kSchema;
}

const SettingSpec& SettingsSchema::of(QString Settings::*field)
{
    for (const SettingSpec& spec : kSchema) {
        if (spec.field == field)
            return spec;
    }
    qFatal("SettingsSchema::of: a field without a key");
}

Settings SettingsSchema::readAll(SettingsFile& file)
{
    Settings settings;
    for (const SettingSpec& spec : kSchema) {
        // A missing or malformed value would fail every change and be written back by the dialogs.
        settings.*spec.field = checked(spec, read(file, spec.field));
    }
    settings.settingsPath = file.path();
    return settings;
}

QString SettingsSchema::read(SettingsFile& file, QString Settings::*field)
{
    const SettingSpec& spec = of(field);
    return file.read(QLatin1String(spec.section), QLatin1String(spec.key));
}

IniEdit SettingsSchema::edit(QString Settings::*field, const QString& text)
{
    const SettingSpec& spec = of(field);
    return IniEdit::write(QLatin1String(spec.section), QLatin1String(spec.key), text);
}

Result<> SettingsSchema::write(SettingsFile& file, const Settings& settings, const Fields& fields)
{
    QList<IniEdit> edits;
    edits.reserve(fields.size());
    for (QString Settings::*field : fields)
        edits.append(edit(field, settings.*field));
    return file.apply(edits);
}

void SettingsSchema::copy(const Settings& from, Settings& to, const Fields& fields)
{
    for (QString Settings::*field : fields)
        to.*field = from.*field;
}

QString SettingsSchema::checked(const SettingSpec& spec, const QString& text)
{
    return isWellFormed(spec, text) ? text : QString::fromLatin1(spec.fallback());
}
