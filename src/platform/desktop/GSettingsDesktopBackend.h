// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopBackend.h"
#include "FreshBitmapCopy.h"
#include "ToolRunner.h"

#include <QStringList>
#include <memory>
#include <optional>

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
        QString schema;
        QString styleKey;
        /** Written in this order; each must exist. */
        QStringList fileKeys;
        /** Written after the others where the installed schema has it (newer versions only). */
        QString optionalFileKey;
        /** true: the file keys take a file:// URI; false: a plain path. */
        bool fileAsUri = true;
    };

    /** GNOME and the desktops that share its background settings (Ubuntu, Budgie, Unity, Pantheon). */
    static std::unique_ptr<DesktopBackend> gnome();
    static std::unique_ptr<DesktopBackend> cinnamon();
    static std::unique_ptr<DesktopBackend> mate();

    /** `name` as the settings file spells it, `desktop` as messages name it. */
    GSettingsDesktopBackend(QString name, const QString& desktop, Keys keys);
    QString name() const override { return m_name; }

    /** The picture-options value for a style. */
    static QString optionFor(WallpaperStyle style);
    /** A text as a GVariant string literal, which `gsettings set` parses exactly. */
    static QString quoted(const QString& text);
    /** The text of a GVariant string literal as `gsettings get` prints it; nothing if it is not one. */
    static std::optional<QString> unquoted(const QString& literal);

protected:
    ApplyResult applyStyleThenFile(const QString& bitmapPath, WallpaperStyle style) override;

private:
    ApplyResult failure(const QString& reason) const;
    bool setAndVerify(const QString& key, const QString& value, QString& error) const;

    QString m_name;
    ToolRunner m_runner;
    Keys m_keys;
    FreshBitmapCopy m_copies;
};
