// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FolderScanner.h"
#include "FolderSync.h"
#include "Result.h"
#include "WatchedFolderList.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <atomic>
#include <memory>
#include <optional>

class ChangeCycle;
class FileSystem;
class FolderWatcher;
class LoadedImages;
class Prompter;
class QThread;
class SettingsFile;
struct Settings;

/**
 * Keeps the list in line with the folders the user watches. The system's reports of changes are
 * gathered for a moment, so that a thousand files copied in make one look and one save; the looks run
 * on a thread of their own. Where the system reports nothing (a network share, too many folders) the
 * folder is looked at every ten minutes and at each change of wallpaper. While the settings window
 * holds unsaved edits of the list, what was found waits until they are saved.
 */
class WatchedFolders : public QObject
{
    Q_OBJECT

public:
    /** How long after the last report a look starts, and how long reports may hold it back at most. */
    static constexpr int QuietMs = 1000;
    static constexpr int LongestWaitMs = 4000;
    static constexpr int PollMs = 10 * 60 * 1000;

    /** `files` is used from the looking thread as well. */
    WatchedFolders(Settings& settings, LoadedImages& images, SettingsFile& file, FileSystem& files,
                   FolderWatcher& watcher, ChangeCycle& cycle, Prompter& prompter, QObject* parent = nullptr);
    /** Waits for a look that runs. */
    ~WatchedFolders() override;

    /** Reads the watched folders from the settings file and looks at each. */
    void start();
    /** Watches one more folder (its pictures are added as a look finds them) and stores it. */
    Result<> watch(const QString& folder);
    /** Stops watching a folder; its pictures stay in the list as plain entries. */
    Result<> unwatch(const QString& folder);
    /** The list was saved or the settings window closed: what waited is looked at again. */
    void listSettled();

    int folderCount() const { return int(m_stored.folders.size()); }
    /** Folders looked at from time to time rather than watched, those gone included. */
    int polledCount() const;
    /** Whether `path` lies in a watched folder that is gone: passed over, not shown as a bad picture. */
    bool isUnreachable(const QString& path) const;
    /** Whether no look runs or waits (for tests and the benchmark). */
    bool isIdle() const;

signals:
    /** A look is over and its edits, if any, are in the list and saved. */
    void synced();

private:
    /** What a look starts from, handed to the looking thread: the list as saved and what was known. */
    struct Basis
    {
        QStringList paths;
        QStringList captions;
        QHash<QString, FolderSync::Known> known;
        QSet<QString> leftOut;
        /** Whether the list may be edited: false while it holds unsaved edits. */
        bool syncs = true;
    };
    /** What a look found, and the list it makes. */
    struct Outcome
    {
        QStringList folders;
        Basis before;
        Basis after;
        QList<int> newPositionOf;
        bool edited = false;
        QSet<QString> gone;
        QHash<QString, QStringList> trees;
        QSet<QString> unsettled;
    };

    /** The looking thread's work: each folder looked at, and the list's edits made from what was seen. */
    static Outcome lookAndSync(const FolderScanner& scanner, const QStringList& folders, Basis basis,
                               const std::atomic_bool& abandon);
    void folderChanged(const QString& folder);
    /** Looks at these folders on the looking thread, or after the look that runs. */
    void lookAt(const QStringList& folders);
    void startLooking();
    void looked(const Outcome& outcome);
    void watchWhatWasSeen();
    /** Saves the list a look made; false when the list changed meanwhile and the look must be made again. */
    void save(const Outcome& outcome);
    /** Looks at the folders that are polled or gone. */
    void poll();

    Settings& m_settings;
    LoadedImages& m_images;
    SettingsFile& m_file;
    FolderScanner m_scanner;
    FolderWatcher& m_watcher;
    ChangeCycle& m_cycle;
    Prompter& m_prompter;
    WatchedFolderList m_stored;
    QHash<QString, FolderSync::Known> m_known;
    /** The folders each watched folder was last seen to hold, to be watched. */
    QHash<QString, QStringList> m_treeOf;
    QSet<QString> m_polled;
    /** Folders the system would not watch, as the watcher last told. */
    QSet<QString> m_unwatchable;
    QSet<QString> m_gone;
    /** Folders whose changes wait for the list's unsaved edits to be saved. */
    QSet<QString> m_waiting;
    QSet<QString> m_toLook;
    QTimer m_quiet;
    QElapsedTimer m_firstReport;
    QTimer m_settle;
    QTimer m_poll;
    std::unique_ptr<QThread> m_looking;
    std::atomic_bool m_abandon = false;
};
