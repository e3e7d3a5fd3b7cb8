// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ChangeHistory.h"
#include "ShuffleOrder.h"

#include <QObject>
#include <QString>
#include <optional>

class DesktopBackend;
class EventWait;
class FileSystem;
class LoadedImages;
class Prompter;
class RandomSource;
class ScreenInfo;
class SettingsFile;
struct Settings;

/** One wallpaper change after another: choose, compose, caption, save, apply, record. */
class ChangeCycle : public QObject
{
    Q_OBJECT

public:
    /** The wallpaper bitmap, rewritten by every change, in the application folder. */
    static constexpr const char* BitmapName = "tessaly.bmp";
    /** Shown instead of a picture that cannot be read. */
    static constexpr const char* FallbackName = "badimage.bmp";
    /** How long a saved bitmap rests before it is applied. */
    static constexpr int SettleMilliseconds = 500;

    /** `files` writes the wallpaper bitmap into `appFolder`. */
    ChangeCycle(Settings& settings, LoadedImages& images, SettingsFile& file, QString appFolder,
                FileSystem& files, DesktopBackend& desktop, Prompter& prompter, RandomSource& random,
                EventWait& wait, const ScreenInfo& screen, QObject* parent = nullptr);

    /**
     * Changes the wallpaper; `orderMode` is "0" list order, "1" random (never the picture on screen),
     * ShuffleOrder::StoredValue each once per round, any other number: same picture.
     * A request that arrives while a change waits to be applied runs once that change is over; of
     * several such requests only the last one runs. False when the change failed (and was told).
     */
    bool ChangeWallpaper(const QString& orderMode);
    /** Shows again the picture shown before the one on screen: nothing when there is none, else
     *  whether the change worked. */
    std::optional<bool> showPrevious();
    /** The picture on screen as this run knows it. */
    std::optional<ChangeHistory::Entry> shown() const { return m_history.current(); }
    /** The picture on screen at start: what the last run recorded. */
    void noteShownAtStart();
    /** The program is ending: a change waiting to be applied is dropped and no later one starts. */
    void stop();

signals:
    /** A change, or a run of queued ones, is over, whatever became of it: its big buffers are free. */
    void finished();

private:
    struct Request
    {
        QString orderMode;
        /** A picture asked for by position (stepping back), or -1 to choose by the order mode. */
        int position = -1;
    };
    bool run(const Request& request);
    bool changeOnce(const Request& request);
    QString nextIndex(const QString& orderMode, int count);
    /** The list position the stored index names, when it names one of `count` entries. */
    std::optional<int> shownPosition(int count) const;

    Settings& m_settings;
    LoadedImages& m_images;
    SettingsFile& m_file;
    QString m_appFolder;
    FileSystem& m_files;
    DesktopBackend& m_desktop;
    Prompter& m_prompter;
    RandomSource& m_random;
    EventWait& m_wait;
    const ScreenInfo& m_screen;
    bool m_changing = false;
    bool m_stopped = false;
    std::optional<Request> m_queued;
    ShuffleOrder m_shuffle;
    ChangeHistory m_history;
};
