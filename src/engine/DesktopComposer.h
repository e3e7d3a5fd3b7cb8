// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CheckedSettings.h"
#include "DecodeDeadline.h"
#include "Result.h"
#include "ScreenInfo.h"
#include "WallpaperComposer.h"

#include <QImage>
#include <QList>
#include <QString>

class BitmapWriter;
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
     * list started again when it runs out). A picture that cannot be read is replaced by `fallback`; a
     * failure saying why when that cannot be read either, a null image when the bitmap cannot be made.
     */
    Result<QImage> composeFiles(FileSystem& files, const QList<Picture>& pictures, const QString& fallback,
                                const DecodeDeadline& deadline = DecodeDeadline()) const;
    /**
     * The bitmap of monitor `index` alone, made for it as composeFiles() makes its part with same or each
     * (span: see partOf()); each row that is final goes to `early` when given.
     */
    Result<QImage> composePart(qsizetype index, FileSystem& files, const QList<Picture>& pictures,
                               const QString& fallback, BitmapWriter* early = nullptr,
                               const DecodeDeadline& deadline = DecodeDeadline()) const;
    /** Monitor `index`'s part of a bitmap made by composeFiles(), sharing its pixels. */
    QImage partOf(const QImage& desktop, qsizetype index) const;
    /** Whether monitors `index` and `other` show the same picture made the same way: one part serves both. */
    bool sameParts(qsizetype index, qsizetype other, const QList<Picture>& pictures) const;

private:
    /** One screen the size of the whole desktop, its work area the primary monitor's. */
    ScreenGeometry spanned() const;
    const Picture& pictureFor(qsizetype index, const QList<Picture>& pictures) const;
    Result<QImage> composeOne(const ScreenGeometry& screen, FileSystem& files, const Picture& picture,
                              const QString& fallback, const DecodeDeadline& deadline, QImage* into,
                              BitmapWriter* early = nullptr) const;

    QList<MonitorGeometry> m_monitors;
    CompositionSettings m_settings;
    CheckedSettings::Screens m_screens;
    QRect m_desktop;
};
