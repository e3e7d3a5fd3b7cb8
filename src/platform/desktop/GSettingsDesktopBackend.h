// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopBackend.h"
#include "ToolRunner.h"

#include <memory>

/**
 * A desktop that keeps its wallpaper in GSettings, written with the `gsettings` tool: the style key
 * first, then each file key. Every write is read back, because `gsettings` reports success even when
 * the settings service never got the value. The desktops differ only in schema and keys.
 */
class GSettingsDesktopBackend final : public DesktopBackend
{
public:
    struct Keys
    {
        /** Holds "picture-options" and the file keys. */
        const char* schema;
        /** Must exist. */
        const char* fileKey;
        /** Written after the other where the installed schema has it (newer versions only); may be null. */
        const char* newerFileKey;
        /** true: the file keys take a file:// URI; false: a plain path. */
        bool fileAsUri;
    };

    /** GNOME and the desktops that share its background settings (Ubuntu, Budgie, Unity, Pantheon). */
    static std::unique_ptr<DesktopBackend> gnome();
    static std::unique_ptr<DesktopBackend> cinnamon();
    static std::unique_ptr<DesktopBackend> mate();

    /** `name` as the settings file spells it, `desktop` as messages name it. */
    GSettingsDesktopBackend(QString name, const QString& desktop, Keys keys);
    QString name() const override { return m_name; }
    /** GNOME at scale 2 draws a centred bitmap at half size; MATE scales every one there. */
    bool scalesSmallBitmaps() const override { return true; }
    /** "spanned" shows each monitor its own part of a whole-desktop bitmap. */
    Takes takes() const override { return Takes::SpannedBitmap; }
    /** GNOME Shell keeps showing a file it has shown, for longer than one change. */
    Result<std::optional<QString>> freshFolder(const QString&) const override
    {
        return std::optional<QString>(QString());
    }

protected:
    Result<> applyStyleThenFiles(const QStringList& files, WallpaperStyle style) override;

private:
    Failure failure(const QString& reason) const;
    Result<> setAndVerify(const QString& key, const QString& value) const;

    QString m_name;
    ToolRunner m_runner;
    QString m_schema;
    Keys m_keys;
};
