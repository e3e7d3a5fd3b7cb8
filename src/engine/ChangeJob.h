// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopBackend.h"
#include "DesktopComposer.h"
#include "Result.h"
#include "ScreenInfo.h"
#include "ShownCaption.h"
#include "WallpaperComposer.h"

#include <QString>
#include <QStringList>
#include <atomic>

class BitmapWriter;
class FileSystem;
class FreshBitmapCopy;

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
 * bitmap (the fallback picture where the picture cannot be read), the bitmap saved (or, for a desktop that
 * takes a file per monitor, each monitor's part saved under a name of its own), a rest, the files handed
 * to the desktop. It holds copies of what it reads, so the list and the settings may change
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
        /**
         * Every monitor, the primary first; with more than one, a desktop that takes a spanned bitmap gets
         * one of all, one that takes a file per monitor a file each.
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
    /** What one change hands the desktop. */
    struct Handed
    {
        QStringList files;
        WallpaperStyle style = WallpaperStyle::Stretch;
        /** Each monitor its own file, written under a fresh name: the bitmap is not written. */
        bool parts = false;
    };
    /** How the monitors are served: the primary's bitmap, one bitmap of the whole desktop, a file each. */
    enum class Layout { Primary, Spanned, Parts };

    Layout layout() const;
    /**
     * Composes and writes what the desktop is handed, under the names `fresh` gives where it needs new
     * ones; the failure in the words the user is told. `notice` tells of a picture that took too long,
     * whose place the fallback took.
     */
    Result<Handed> writeFiles(const std::atomic_bool& abandon, const QString& caption, FreshBitmapCopy& fresh,
                              QString* notice) const;
    /** Composes and saves the bitmap: the primary's, or the whole desktop's. */
    Result<> saveBitmap(const std::atomic_bool& abandon, const QString& caption, bool spanned,
                        QString* notice) const;
    /** Composes and saves each monitor's part to its path in `paths`, one after another. */
    Result<> saveParts(const std::atomic_bool& abandon, const QString& caption,
                       const QStringList& paths) const;
    /** The bitmap of the whole desktop; the failure tells of a fallback that could not be read. */
    Result<QImage> composeDesktop(const std::atomic_bool& abandon, const QString& caption) const;
    /** The bitmap of the primary screen, its rows written as they are made. */
    Result<QImage> composeScreen(const std::atomic_bool& abandon, const QString& caption,
                                 BitmapWriter& writer, QString* notice) const;
    /** The pictures of the monitors in turn, the first with `caption`. */
    QList<DesktopComposer::Picture> pictures(const QString& caption) const;
    /** Rests `settleMs`; false when abandoned meanwhile. */
    bool settle(const std::atomic_bool& abandon) const;

    Order m_order;
    FileSystem& m_files;
    DesktopBackend& m_desktop;
};
