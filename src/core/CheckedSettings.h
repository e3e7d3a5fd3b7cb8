// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Settings.h"

#include <QString>
#include <optional>

/**
 * The settings' text as the values the program works with, each checked against the schema's bounds:
 * a value that does not convert, or lies outside its key's bounds, is the key's fallback. The
 * record itself keeps the text as stored, so that nothing the user wrote is lost by reading it.
 */
class CheckedSettings
{
public:
    /** Which picture comes next; in the order the Mode dialog lists them. */
    enum class Order { List, Random, Shuffle };
    /** What the change interval is counted in; in the order the Timer dialog lists them. */
    enum class Unit { Minutes, Hours, Days };
    /** How a stretched picture keeps its shape: not at all, covering the screen, or whole within it. */
    enum class Fitting { Stretch, Fill, Fit };
    /** What several monitors show: the same picture, one each, or one across them all. */
    enum class Screens { Same, Each, Span };
    /** How the picture covers the screen; in the order the Display dialog lists them. */
    enum class DisplayType { Stretch, Centre, Tile };
    /** Where the caption is printed; in the order the Caption dialog lists them. */
    enum class CaptionPosition { TopCentre, TopRight, BottomCentre };
    /** Over the picture or in a strip of its own; in the order the Caption dialog lists them. */
    enum class CaptionPlacement { OnPicture, InBand };
    /** The words the settings file holds for Fitting::Fill, Fitting::Fit, and Screens' values. */
    static constexpr const char* FillWord = "fill";
    static constexpr const char* FitWord = "fit";
    static constexpr const char* ScreensWords[] = {"same", "each", "span"};

    explicit CheckedSettings(const Settings& settings) : m_settings(settings) {}

    /** A text key; an empty one that ships a value is that value. */
    QString text(QString Settings::*field) const;
    /** A whole-number key, rounded half to even. */
    int integer(QString Settings::*field) const;
    /** A key that may hold a fraction (the font size). */
    double number(QString Settings::*field) const;
    bool flag(QString Settings::*field) const;
    /** A colour key: red + 256 * green + 65536 * blue. */
    qint32 colour(QString Settings::*field) const;

    /** sequenceType: 0 list order, 1 random, the shuffle word each once. */
    Order order() const;
    /** The text the settings file holds for each value. */
    static const char* stored(Order order);
    static const char* stored(DisplayType type);
    static const char* stored(CaptionPosition position);
    static const char* stored(CaptionPlacement placement);
    static const char* stored(Unit unit);
    /** changeEveryBoot's text: a number, as older copies read it. */
    static const char* storedEveryStart(bool on);

    /** displayType: 0 stretched, 1 centred, 2 tiled. */
    DisplayType displayType() const;
    /** captionPosition: 0 centre top, 1 right top, 2 bottom centre. */
    CaptionPosition captionPosition() const;
    /** onOffCaption: 0 over the picture, 1 in a strip of its own. */
    CaptionPlacement captionPlacement() const;
    /** fitting: fill or fit, which only a stretched displayType takes; anything else stretches. */
    Fitting fitting() const;
    /** screens: same, each or span; absent or unknown is same. */
    Screens screens() const;
    /** timeOption: 0 minutes, 1 hours, any other number days. */
    Unit unit() const;
    /** timeMin, timeHour or timeDay: the chosen unit's count. */
    int count() const;
    /** changeEveryBoot: with hours or days, change at every start too. */
    bool changesAtEveryStart() const { return integer(&Settings::changeEveryBoot) == 1; }
    /** The list position imageNum names, when it names one of `count` entries. */
    std::optional<int> shownPosition(int count) const;

private:
    const Settings& m_settings;
};
