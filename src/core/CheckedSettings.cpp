// SPDX-License-Identifier: GPL-3.0-or-later
#include "CheckedSettings.h"

#include "SettingValue.h"
#include "SettingsSchema.h"
#include "ShuffleOrder.h"

#include <iterator>

namespace {

/** The field's text, or its key's fallback when the text is not a value of the key. */
QString checkedText(const Settings& settings, QString Settings::*field)
{
    return SettingsSchema::checked(SettingsSchema::of(field), settings.*field);
}

/** The stored numbers of the keys whose values count up from 0 in their enum's order. */
constexpr const char* Codes[] = {"0", "1", "2"};

} // namespace

QString CheckedSettings::text(QString Settings::*field) const
{
    return checkedText(m_settings, field);
}

int CheckedSettings::integer(QString Settings::*field) const
{
    // The fallbacks convert; 0 only stands in for a word (such as sequenceType's) here.
    return SettingValue::toInt16(checkedText(m_settings, field)).value_or(0);
}

double CheckedSettings::number(QString Settings::*field) const
{
    return SettingValue::toNumber(checkedText(m_settings, field)).value_or(0);
}

bool CheckedSettings::flag(QString Settings::*field) const
{
    return SettingValue::toFlag(checkedText(m_settings, field)).value_or(false);
}

qint32 CheckedSettings::colour(QString Settings::*field) const
{
    return SettingValue::toColour(checkedText(m_settings, field)).value_or(0);
}

CheckedSettings::Order CheckedSettings::order() const
{
    const QString type = checkedText(m_settings, &Settings::sequenceType);
    if (type == QLatin1String(ShuffleOrder::StoredValue))
        return Order::Shuffle;
    return SettingValue::toInt16(type) == 1 ? Order::Random : Order::List;
}

const char* CheckedSettings::stored(Order order)
{
    // A word, not a number, so that a copy without the shuffle steps in list order instead of freezing.
    return order == Order::Shuffle ? ShuffleOrder::StoredValue : Codes[int(order)];
}

const char* CheckedSettings::stored(DisplayType type)
{
    return Codes[int(type)];
}

const char* CheckedSettings::stored(CaptionPosition position)
{
    return Codes[int(position)];
}

const char* CheckedSettings::stored(CaptionPlacement placement)
{
    return Codes[int(placement)];
}

const char* CheckedSettings::stored(Unit unit)
{
    return Codes[int(unit)];
}

const char* CheckedSettings::storedEveryStart(bool on)
{
    return Codes[int(on)];
}

CheckedSettings::DisplayType CheckedSettings::displayType() const
{
    switch (integer(&Settings::displayType)) {
    case 0:
        return DisplayType::Stretch;
    case 2:
        return DisplayType::Tile;
    default:
        return DisplayType::Centre;
    }
}

CheckedSettings::CaptionPosition CheckedSettings::captionPosition() const
{
    switch (integer(&Settings::captionPosition)) {
    case 0:
        return CaptionPosition::TopCentre;
    case 1:
        return CaptionPosition::TopRight;
    default:
        return CaptionPosition::BottomCentre;
    }
}

CheckedSettings::CaptionPlacement CheckedSettings::captionPlacement() const
{
    return integer(&Settings::onOffCaption) == 1 ? CaptionPlacement::InBand : CaptionPlacement::OnPicture;
}

CheckedSettings::Fitting CheckedSettings::fitting() const
{
    // An older copy that chose centre or tile wrote displayType alone: its choice stands over a stale word.
    if (displayType() != DisplayType::Stretch)
        return Fitting::Stretch;
    const QString word = m_settings.fitting.trimmed().toLower();
    if (word == QLatin1String(FillWord))
        return Fitting::Fill;
    return word == QLatin1String(FitWord) ? Fitting::Fit : Fitting::Stretch;
}

CheckedSettings::Screens CheckedSettings::screens() const
{
    const QString word = m_settings.screens.trimmed().toLower();
    for (int i = 0; i < int(std::size(ScreensWords)); ++i) {
        if (word == QLatin1String(ScreensWords[i]))
            return Screens(i);
    }
    return Screens::Same;
}

CheckedSettings::Unit CheckedSettings::unit() const
{
    switch (integer(&Settings::timeOption)) {
    case 0:
        return Unit::Minutes;
    case 1:
        return Unit::Hours;
    default:
        return Unit::Days;
    }
}

int CheckedSettings::count() const
{
    switch (unit()) {
    case Unit::Minutes:
        return integer(&Settings::timeMin);
    case Unit::Hours:
        return integer(&Settings::timeHour);
    case Unit::Days:
        break;
    }
    return integer(&Settings::timeDay);
}

std::optional<int> CheckedSettings::shownPosition(int count) const
{
    const int position = integer(&Settings::imageNum);
    if (position >= 0 && position < count)
        return position;
    return std::nullopt;
}
