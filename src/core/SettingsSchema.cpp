// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsSchema.h"

#include "SettingValue.h"
#include "SettingsFile.h"
#include "ShuffleOrder.h"

#include <array>

namespace {

using T = SettingType;
// No bounds: any value of the type is in range.
constexpr double Any = 0, AnyHigh = -1;

// Start-up reads the keys in this order. The defaults are those of the shipped tessdesk.ini, but for
// the caption's style (below).
constexpr std::array<SettingSpec, 27> kSchema{{
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
    // Absent from an older file, these three keep its plain caption, as their values here say; the
    // shipped file turns on a readable style.
    {"font", "captionEffect", T::Integer, "0", 0, 3, &Settings::captionEffect},
    {"font", "automaticColour", T::Flag, "False", Any, AnyHigh, &Settings::automaticColour},
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
}};

/** Whether text is a value of the key's type within its bounds; numbers are rounded as they are used. */
bool isWellFormed(const SettingSpec& spec, const QString& text)
{
    if (spec.word != nullptr && text == QLatin1String(spec.word))
        return true;
    std::optional<double> value;
    switch (spec.type) {
    case T::Text:
        return !text.trimmed().isEmpty() || spec.shippedDefault[0] == '\0';
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
        const QString text = file.read(QLatin1String(spec.section), QLatin1String(spec.key));
        // A missing or malformed value would fail every change and be written back by the dialogs.
        settings.*spec.field = checked(spec, text);
    }
    settings.settingsPath = file.path();
    return settings;
}

bool SettingsSchema::write(SettingsFile& file, const Settings& settings, const Fields& fields)
{
    QList<IniEdit> edits;
    edits.reserve(fields.size());
    for (QString Settings::*field : fields) {
        const SettingSpec& spec = of(field);
        edits.append(IniEdit::write(QLatin1String(spec.section), QLatin1String(spec.key), settings.*field));
    }
    return file.apply(edits);
}

void SettingsSchema::copy(const Settings& from, Settings& to, const Fields& fields)
{
    for (QString Settings::*field : fields)
        to.*field = from.*field;
}

QString SettingsSchema::checked(const SettingSpec& spec, const QString& text)
{
    return isWellFormed(spec, text) ? text : QString::fromLatin1(spec.shippedDefault);
}
