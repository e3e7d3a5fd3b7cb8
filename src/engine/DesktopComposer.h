// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CheckedSettings.h"
#include "DecodeDeadline.h"
#include "ScreenInfo.h"
#include "WallpaperComposer.h"

#include <QImage>
#include <QList>
#include <QString>
#include <optional>

class FileSystem;

/**
 * The bitmap of a whole desktop of several monitors, as large as their bounding box: each monitor's
 * part made for that monitor (its size, its work area, its own picture when each has one), or one
 * picture across them all with its caption on the primary monitor. What no monitor shows stays black.
 */
class DesktopComposer
{
public:
    /** A picture and its caption. */
    struct Picture
    {
        QString path;
        QString caption;
    };

    /** `monitors` with the primary first, as ScreenInfo gives them. */
    DesktopComposer(QList<MonitorGeometry> monitors, CompositionSettings settings,
                    CheckedSettings::Screens screens);

    /** The bounding box of the monitors, in device pixels: where the bitmap's top-left corner lies. */
    QRect desktop() const { return m_desktop; }

    /**
     * The bitmap: `pictures` one for each monitor in turn (the first for all with same or span, the
     * list started again when it runs out). A picture that cannot be read is replaced by `fallback`;
     * nothing when that cannot be read either (`reason` says why), a null image when the bitmap cannot
     * be made.
     */
    std::optional<QImage> composeFiles(FileSystem& files, const QList<Picture>& pictures,
                                       const QString& fallback, QString* reason = nullptr,
                                       const DecodeDeadline& deadline = DecodeDeadline()) const;

private:
    /** One screen the size of the whole desktop, its work area the primary monitor's. */
    ScreenGeometry spanned() const;
    std::optional<QImage> composeOne(const ScreenGeometry& screen, FileSystem& files, const Picture& picture,
                                     const QString& fallback, QString* reason, const DecodeDeadline& deadline,
                                     QImage* into) const;

    QList<MonitorGeometry> m_monitors;
    CompositionSettings m_settings;
    CheckedSettings::Screens m_screens;
    QRect m_desktop;
};
