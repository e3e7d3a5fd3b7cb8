// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FreshBitmapCopy.h"
#include "ToolRunner.h"
#include "platform/DesktopBackend.h"

#include <QStringList>
#include <optional>

/**
 * The wallpaper keys of a desktop that keeps them in GSettings (GNOME and the desktops built on its
 * settings), written with the `gsettings` tool: the style key first, then each file key. Every write is
 * read back, because `gsettings` reports success even when the settings service never got the value.
 */
class GSettingsWallpaper
{
public:
    struct Keys
    {
        QString schema;
        QString styleKey;
        /** Written in this order; each must exist. */
        QStringList fileKeys;
        /** Written after the others where the installed schema has it (newer versions only). */
        QString optionalFileKey;
        /** true: the file keys take a file:// URI; false: a plain path. */
        bool fileAsUri = true;
    };

    GSettingsWallpaper(const QString& desktop, Keys keys);

    ApplyResult apply(const QString& bitmapPath, WallpaperStyle style);

    /** The picture-options value for a style. */
    static QString optionFor(WallpaperStyle style);
    /** A text as a GVariant string literal, which `gsettings set` parses exactly. */
    static QString quoted(const QString& text);
    /** The text of a GVariant string literal as `gsettings get` prints it; nothing if it is not one. */
    static std::optional<QString> unquoted(const QString& literal);

private:
    ApplyResult failure(const QString& reason) const;
    bool setAndVerify(const QString& key, const QString& value, QString& error) const;

    ToolRunner m_runner;
    Keys m_keys;
    FreshBitmapCopy m_copies;
};
