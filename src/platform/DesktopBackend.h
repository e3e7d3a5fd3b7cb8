// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

/** What became of one attempt to set the desktop wallpaper. */
struct ApplyResult
{
    bool ok = false;
    /** Why it failed, in words a person can act on (which desktop, what failed). Empty on success. */
    QString reason;
};

/** Makes a bitmap file the desktop wallpaper on one kind of desktop. */
class DesktopBackend
{
public:
    virtual ~DesktopBackend() = default;
    /** Short name, as the settings file's "desktop" / "backend" key spells it. */
    virtual QString name() const = 0;
    /**
     * Sets the style and then the file as the wallpaper. `style` is "Center", "Tile" or "Stretch";
     * any other word is changed to "Stretch" in place, so the caller sees what was used.
     */
    virtual ApplyResult apply(const QString& bitmapPath, QString& style) = 0;
};
