// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopComposer.h"
#include "ScreenInfo.h"
#include "ShownCaption.h"
#include "WallpaperComposer.h"

#include <QString>
#include <atomic>
#include <optional>

class BitmapWriter;
class DesktopBackend;
class FileSystem;

/** What became of one change's work. */
struct ChangeReport
{
    enum class Outcome { Applied, Failed, Abandoned };
    Outcome outcome = Outcome::Failed;
    /** Why it failed, as the user is told it; for an applied change, anything the user should hear of it. */
    QString message;
    /** The caption as it was drawn, its words replaced. */
    QString caption;
};

/**
 * The slow part of one change, made to run off the user-interface thread: the picture composed into the
 * bitmap (the fallback picture where the picture cannot be read), the bitmap saved, a rest, the bitmap
 * handed to the desktop. It holds copies of what it reads, so the list and the settings may change
 * meanwhile; only the file system and the desktop are shared, and one job at a time uses them.
 */
class ChangeJob
{
public:
    struct Order
    {
        QString picturePath;
        /** The caption and what its words stand for; its date is read here, off the caller's thread. */
        ShownCaption::Source caption;
        QString bitmapPath;
        QString fallbackPath;
        CompositionSettings composition;
        ScreenGeometry screen;
        /** Every monitor, the primary first; with more than one, a desktop that spans gets a bitmap of all.
         */
        QList<MonitorGeometry> monitors;
        CheckedSettings::Screens screens = CheckedSettings::Screens::Same;
        /** With a picture for each monitor: those for the monitors after the first, with their captions. */
        QList<ShownCaption::Source> others;
        /** How long the saved bitmap rests before it is applied. */
        int settleMs = 0;
    };

    ChangeJob(Order order, FileSystem& files, DesktopBackend& desktop);

    /**
     * Does the work. Once `abandon` is set (from any thread) it stops at its next step and applies
     * nothing; the bitmap on disk is then the old one or the new one, never part of one.
     */
    ChangeReport run(const std::atomic_bool& abandon) const;

private:
    /**
     * Composes and saves the bitmap; the message for the user when it cannot. `notice` tells of a
     * picture that took too long, whose place the fallback took.
     */
    std::optional<QString> saveBitmap(const std::atomic_bool& abandon, const QString& caption,
                                      QString* notice) const;
    /** The bitmap of the whole desktop; `unusable` tells of a fallback that could not be read. */
    std::optional<QImage> composeDesktop(const std::atomic_bool& abandon, const QString& caption,
                                         QString* unusable) const;
    /** The bitmap of the primary screen, its rows written as they are made. */
    std::optional<QImage> composeScreen(const std::atomic_bool& abandon, const QString& caption,
                                        BitmapWriter& writer, QString* notice, QString* unusable) const;
    /** Whether the bitmap covers the whole desktop of several monitors, applied as "Span". */
    bool spansMonitors() const;
    /** Rests `settleMs`; false when abandoned meanwhile. */
    bool settle(const std::atomic_bool& abandon) const;

    Order m_order;
    FileSystem& m_files;
    DesktopBackend& m_desktop;
};
