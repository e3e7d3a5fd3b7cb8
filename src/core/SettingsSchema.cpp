// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsSchema.h"

#include "core/SettingValue.h"
#include "core/SettingsFile.h"

#include <array>

namespace {

using T = SettingType;

// Start-up reads the keys in this order. The defaults are those of the shipped tessdesk.ini.
constexpr std::array<SettingSpec, 21> kSchema{{
    {"display", "imageNum", T::Integer, "0", &Settings::imageNum},
    {"total", "total", T::Integer, "0", &Settings::total},
    {"display", "displayType", T::Integer, "0", &Settings::displayType},
    {"display", "sequenceType", T::Integer, "0", &Settings::sequenceType},
    {"font", "captionPosition", T::Integer, "2", &Settings::captionPosition},
    {"font", "onOffCaption", T::Integer, "0", &Settings::onOffCaption},
    {"font", "newFontName", T::Text, "DejaVu Sans", &Settings::newFontName},
    {"font", "newFontSize", T::Number, "16", &Settings::newFontSize},
    {"font", "newFontBold", T::Flag, "True", &Settings::newFontBold},
    {"font", "newFontItalic", T::Flag, "False", &Settings::newFontItalic},
    {"font", "newFontUnderline", T::Flag, "False", &Settings::newFontUnderline},
    {"font", "newFontFontStrikethru", T::Flag, "False", &Settings::newFontFontStrikethru},
    {"font", "newFontForeColor", T::Colour, "0", &Settings::newFontForeColor},
    {"time", "changeEveryBoot", T::Integer, "0", &Settings::changeEveryBoot},
    {"time", "timeOption", T::Integer, "1", &Settings::timeOption},
    {"time", "timeMin", T::Integer, "30", &Settings::timeMin},
    {"time", "timeHour", T::Integer, "1", &Settings::timeHour},
    {"time", "timeDay", T::Integer, "1", &Settings::timeDay},
    {"time", "ChangeTime", T::DateTime, "", &Settings::ChangeTime},
    {"desktop", "backend", T::Text, "auto", &Settings::backend},
    {"desktop", "command", T::Text, "", &Settings::command},
}};

template<typename Value, typename Convert>
Value convertOrDefault(const Settings& settings, QString Settings::*field, Convert convert)
{
    if (const std::optional<Value> value = convert(settings.*field))
        return *value;
    return convert(QString::fromLatin1(SettingsSchema::of(field).shippedDefault)).value_or(Value{});
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
    for (const SettingSpec& spec : kSchema)
        settings.*spec.field = file.read(QLatin1String(spec.section), QLatin1String(spec.key));
    settings.settingsPath = file.path();
    return settings;
}

bool SettingsSchema::write(SettingsFile& file, const Settings& settings, QString Settings::*field)
{
    return write(file, settings, {field});
}

bool SettingsSchema::write(SettingsFile& file, const Settings& settings,
                           std::initializer_list<QString Settings::*> fields)
{
    QList<IniEdit> edits;
    edits.reserve(static_cast<qsizetype>(fields.size()));
    for (QString Settings::*field : fields) {
        const SettingSpec& spec = of(field);
        edits.append(IniEdit::write(QLatin1String(spec.section), QLatin1String(spec.key), settings.*field));
    }
    return file.apply(edits);
}

qint16 SettingsSchema::int16(const Settings& settings, QString Settings::*field)
{
    return convertOrDefault<qint16>(settings, field,
                                    [](const QString& t) { return SettingValue::toInt16(t); });
}

double SettingsSchema::number(const Settings& settings, QString Settings::*field)
{
    return convertOrDefault<double>(settings, field,
                                    [](const QString& t) { return SettingValue::toNumber(t); });
}

bool SettingsSchema::flag(const Settings& settings, QString Settings::*field)
{
    return convertOrDefault<bool>(settings, field, [](const QString& t) { return SettingValue::toFlag(t); });
}

qint32 SettingsSchema::colour(const Settings& settings, QString Settings::*field)
{
    return convertOrDefault<qint32>(settings, field,
                                    [](const QString& t) { return SettingValue::toColour(t); });
}
