// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ChangeHistory.h"
#include "CheckedSettings.h"
#include "ScreenInfo.h"
#include "ShuffleOrder.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class ChangeJob;
class DesktopBackend;
class FileSystem;
class LoadedImages;
class Prompter;
class QThread;
class RandomSource;
class SettingsFile;
struct ChangeReport;
struct Settings;

/** What became of one asked-for change, told to whoever asked. */
struct ChangeOutcome
{
    enum class Result {
        /** The new wallpaper is on the desktop. */
        Applied,
        /** It was tried and failed; the user was told why in a window as well. */
        Failed,
        /** It was not tried: nothing to show, one already waits, or the program is ending. */
        Refused
    };
    Result result = Result::Failed;
    /** Why it failed or was refused, in a few words. */
    QString reason;
};

/**
 * One wallpaper change after another: choose, compose, caption, save, apply, record. The choosing and
 * recording happen on the caller's thread; composing, saving and applying on a thread of their own, so
 * the tray, the timer and the command line answer while a photo decodes. One change runs at a time and
 * one more may wait for it; whoever asks is told what became of theirs once it is over.
 */
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

    using Done = std::function<void(const ChangeOutcome&)>;

    /** `files` writes the wallpaper bitmap into `appFolder`. */
    ChangeCycle(Settings& settings, LoadedImages& images, SettingsFile& file, QString appFolder,
                FileSystem& files, DesktopBackend& desktop, Prompter& prompter, RandomSource& random,
                const ScreenInfo& screen, QObject* parent = nullptr);
    /** Abandons a running change and waits for its thread. */
    ~ChangeCycle() override;

    using Order = CheckedSettings::Order;

    /**
     * Changes the wallpaper to the next picture in `order` (at random: never the picture on screen;
     * shuffled: each once per round). `done` is told once, after the change, or at once when it is
     * refused.
     */
    void change(Order order, Done done = {});
    /** Shows again the picture shown before the one on screen; refused when there is none. */
    void showPrevious(Done done = {});
    /** Shows the picture at `position` of the list, which becomes the current one. */
    void showAt(int position, Done done = {});
    /**
     * Makes the picture(s) on screen again for the monitors as they are now, without moving on in the
     * list or in the history; refused when no picture of the list is on screen, or when what is on screen
     * was made for the monitors as they are (judged when it would start, after a change that runs).
     */
    void recompose(Done done = {});
    /** The picture on screen as this run knows it. */
    std::optional<ChangeHistory::Entry> shown() const { return m_history.current(); }
    /**
     * The caption on screen, its words replaced: as this run drew it, or, for the picture on screen at
     * start, as the list and the settings give it. Empty when no picture is known.
     */
    QString shownCaption() const;
    /** The picture on screen at start: what the last run recorded, made for the monitors as they are. */
    void noteShownAtStart();
    /** The program is ending: the running change is abandoned, the waiting one refused, none starts. */
    void stop();
    /**
     * The list was edited from `oldPaths` into `newPaths` behind the user's back (a watched folder
     * changed): the current index, the history and the shuffled round follow their pictures.
     */
    void listEdited(const QStringList& oldPaths, const QList<int>& newPositionOf,
                    const QStringList& newPaths);
    /** Pictures for which `unreachable` is true are passed over when the order chooses (a drive unplugged).
     */
    void setUnreachable(std::function<bool(const QString& path)> unreachable)
    {
        m_unreachable = std::move(unreachable);
    }
    /** Replaces SettleMilliseconds (for tests). */
    void setSettleTime(int milliseconds) { m_settleMs = milliseconds; }

signals:
    /** A change, or a run of queued ones, is over, whatever became of it: its big buffers are free. */
    void finished();

private:
    struct Request
    {
        Order order = Order::List;
        /** A picture asked for by position (stepping back), or -1 to choose by the order mode. */
        int position = -1;
        Done done;
        /** The pictures on screen made again for a new layout of the monitors. */
        bool again = false;
    };
    /** Where the running change's picture stands, to be recorded when it is applied. */
    struct Shown
    {
        std::optional<int> position;
        QString path;
    };

    /** Whether the picture(s) on screen were made for the monitors as they are now. */
    bool madeForTheseMonitors() const;
    void submit(Request request);
    void start(Request request);
    void jobDone(const ChangeReport& report);
    int nextIndex(Order order, int current, int count);
    /** nextIndex, passing over pictures that cannot be reached now; nullopt when none can. */
    std::optional<int> nextReachable(Order order, int current, int count);

    Settings& m_settings;
    LoadedImages& m_images;
    SettingsFile& m_file;
    QString m_appFolder;
    FileSystem& m_files;
    DesktopBackend& m_desktop;
    Prompter& m_prompter;
    RandomSource& m_random;
    const ScreenInfo& m_screen;
    int m_settleMs = SettleMilliseconds;
    bool m_stopped = false;
    std::atomic_bool m_abandon = false;
    std::unique_ptr<QThread> m_worker;
    Request m_running;
    Shown m_runningShown;
    /** The monitors the running change composes for. */
    QList<MonitorGeometry> m_runningMonitors;
    /** The monitors the picture(s) on screen were made for; none while unknown. */
    std::optional<QList<MonitorGeometry>> m_shownMonitors;
    std::optional<Request> m_waiting;
    ShuffleOrder m_shuffle;
    ChangeHistory m_history;
    std::function<bool(const QString& path)> m_unreachable;
};
