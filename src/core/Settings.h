// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

/**
 * Every setting as the text stored in the settings file, one field per key, named like the key.
 * Read once at start-up; dialogs, the scheduler and the engine update fields and write them back
 * one key at a time. Values are converted where they are used (SettingValue, SettingsSchema).
 */
struct Settings
{
    // "total"
    QString total;
    // "display"
    QString imageNum;
    QString displayType;
    QString sequenceType;
    QString fitting;
    QString screens;
    // "font"
    QString captionPosition;
    QString onOffCaption;
    QString newFontName;
    QString newFontSize;
    QString newFontBold;
    QString newFontItalic;
    QString newFontUnderline;
    QString newFontFontStrikethru;
    QString newFontForeColor;
    QString captionEffect;
    QString automaticColour;
    QString defaultCaption;
    // "time"
    QString changeEveryBoot;
    QString timeOption;
    QString timeMin;
    QString timeHour;
    QString timeDay;
    QString ChangeTime;
    // "desktop"
    QString backend;
    QString command;
    // "window": where the settings window was last, "x,y,width,height"; empty: centred
    QString windowGeometry;
    // "tessaly": True until the first start has seeded the list
    QString firstRun;

    /** Full path of the settings file. */
    QString settingsPath;
    /** When the next change is due with the minutes unit; memory only, empty until first computed. */
    QString nextMinuteChange;
};
