// SPDX-License-Identifier: GPL-3.0-or-later
#include "WatchedFolders.h"

#include "ChangeCycle.h"
#include "CheckedSettings.h"
#include "FolderWatcher.h"
#include "IniEdit.h"
#include "LoadedImages.h"
#include "Prompter.h"
#include "Settings.h"
#include "SettingsFile.h"
#include "SettingsSchema.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <numeric>

namespace {

QString parentOf(const QString& folder)
{
    return QFileInfo(folder).path();
}

} // namespace

WatchedFolders::WatchedFolders(Settings& settings, LoadedImages& images, SettingsFile& file,
                               FileSystem& files, FolderWatcher& watcher, ChangeCycle& cycle,
                               Prompter& prompter, QObject* parent)
    : QObject(parent), m_settings(settings), m_images(images), m_file(file), m_scanner(files),
      m_watcher(watcher), m_cycle(cycle), m_prompter(prompter)
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(QuietMs);
    connect(&m_quiet, &QTimer::timeout, this, &WatchedFolders::startLooking);
    // Files still being written are looked at again once they may be complete.
    m_settle.setSingleShot(true);
    m_settle.setInterval(int(FolderSync::SettleMs) + 250);
    connect(&m_settle, &QTimer::timeout, this, &WatchedFolders::startLooking);
    m_poll.setInterval(PollMs);
    connect(&m_poll, &QTimer::timeout, this, &WatchedFolders::poll);
    connect(&m_watcher, &FolderWatcher::folderChanged, this, &WatchedFolders::folderChanged);
    connect(&m_watcher, &FolderWatcher::cannotWatch, this, [this](const QStringList& folders) {
        const QSet<QString> unwatchable(folders.cbegin(), folders.cend());
        if (std::exchange(m_unwatchable, unwatchable) != unwatchable)
            watchWhatWasSeen();
    });
    // A picture taken out of the list (the tray, the settings window): once saved, it is remembered as
    // left out by the next look.
    connect(&m_images, &QAbstractItemModel::rowsRemoved, this, [this] {
        if (m_stored.folders.isEmpty())
            return;
        m_toLook.unite(QSet<QString>(m_stored.folders.cbegin(), m_stored.folders.cend()));
        if (!m_quiet.isActive())
            m_quiet.start();
    });
    connect(&m_cycle, &ChangeCycle::finished, this, &WatchedFolders::poll);
    // A gone folder's pictures are passed over rather than shown as pictures that cannot be read.
    m_cycle.setUnreachable([this](const QString& path) { return isUnreachable(path); });
}

WatchedFolders::~WatchedFolders()
{
    m_cycle.setUnreachable({});
    m_abandon = true;
    if (m_looking)
        m_looking->wait();
}

void WatchedFolders::start()
{
    m_stored = WatchedFolderList::load(m_file);
    lookAt(m_stored.folders);
}

Result<> WatchedFolders::watch(const QString& folder)
{
    const QString clean = QDir::cleanPath(folder);
    if (m_stored.indexOf(clean) >= 0) {
        lookAt({clean});
        return {};
    }
    WatchedFolderList next = m_stored;
    next.folders.append(clean);
    if (Result<> saved = next.save(m_file); !saved)
        return saved.failure().prefixed(QStringLiteral("it is not watched: "));
    m_stored = std::move(next);
    lookAt({clean});
    return {};
}

Result<> WatchedFolders::unwatch(const QString& folder)
{
    const int at = m_stored.indexOf(folder);
    if (at < 0)
        return Failure{FailureKind::NotFound,
                       QStringLiteral("%1 is not watched").arg(QDir::cleanPath(folder))};
    WatchedFolderList next = m_stored;
    const QString removed = next.folders.takeAt(at);
    next.leftOut.removeIf([&removed](const QString& path) { return FolderSync::isInside(path, removed); });
    if (Result<> saved = next.save(m_file); !saved)
        return saved.failure().prefixed(QStringLiteral("it is still watched: "));
    m_stored = std::move(next);
    m_known.remove(removed);
    m_treeOf.remove(removed);
    m_gone.remove(removed);
    m_toLook.remove(removed);
    m_waiting.remove(removed);
    watchWhatWasSeen();
    return {};
}

void WatchedFolders::listSettled()
{
    if (m_waiting.isEmpty() || m_images.isModified())
        return;
    // What was seen before the edits is stale: every folder looked at again, and what the user removed is
    // left out.
    m_waiting.clear();
    lookAt(m_stored.folders);
}

int WatchedFolders::polledCount() const
{
    return int((m_polled + m_gone).size());
}

bool WatchedFolders::isUnreachable(const QString& path) const
{
    for (const QString& folder : m_gone) {
        if (FolderSync::isInside(path, folder))
            return true;
    }
    return false;
}

bool WatchedFolders::isIdle() const
{
    return !m_looking && m_toLook.isEmpty() && m_waiting.isEmpty() && !m_quiet.isActive() &&
           !m_settle.isActive();
}

void WatchedFolders::folderChanged(const QString& folder)
{
    for (const QString& watched : std::as_const(m_stored.folders)) {
        if (folder == watched || FolderSync::isInside(folder, watched))
            m_toLook.insert(watched);
        // The folder above tells of the watched one moved, deleted or made again; its other changes are
        // none of ours.
        else if (folder == parentOf(watched) && QFileInfo::exists(watched) == m_gone.contains(watched))
            m_toLook.insert(watched);
    }
    if (m_toLook.isEmpty())
        return;
    // A copy that goes on reporting holds the look back only so long.
    if (!m_quiet.isActive())
        m_firstReport.start();
    if (m_firstReport.elapsed() < LongestWaitMs - QuietMs)
        m_quiet.start();
}

void WatchedFolders::lookAt(const QStringList& folders)
{
    m_toLook.unite(QSet<QString>(folders.cbegin(), folders.cend()));
    startLooking();
}

void WatchedFolders::poll()
{
    if (const QSet<QString> polled = m_polled + m_gone; !polled.isEmpty())
        lookAt(QStringList(polled.cbegin(), polled.cend()));
}

void WatchedFolders::startLooking()
{
    if (m_looking || m_toLook.isEmpty())
        return;
    m_quiet.stop();
    m_settle.stop();
    const QStringList folders(m_toLook.cbegin(), m_toLook.cend());
    m_toLook.clear();
    Basis basis{m_images.paths(), {}, m_known, m_stored.leftOut, !m_images.isModified()};
    basis.captions.reserve(basis.paths.size());
    for (int i = 0; i < m_images.count(); ++i)
        basis.captions.append(m_images.captionAt(i));
    m_looking.reset(QThread::create([this, folders, basis = std::move(basis)] {
        Outcome outcome = lookAndSync(m_scanner, folders, basis, m_abandon);
        if (m_abandon)
            return;
        QMetaObject::invokeMethod(
            this, [this, outcome = std::move(outcome)] { looked(outcome); }, Qt::QueuedConnection);
    }));
    m_looking->start(QThread::LowPriority);
}

WatchedFolders::Outcome WatchedFolders::lookAndSync(const FolderScanner& scanner, const QStringList& folders,
                                                    Basis basis, const std::atomic_bool& abandon)
{
    Outcome outcome{folders, basis, std::move(basis), {}, false, {}, {}, {}};
    Basis& after = outcome.after;
    outcome.newPositionOf.resize(after.paths.size());
    std::iota(outcome.newPositionOf.begin(), outcome.newPositionOf.end(), 0);
    for (const QString& folder : folders) {
        if (abandon)
            break;
        const qint64 atMs = QDateTime::currentMSecsSinceEpoch();
        std::optional<FolderScan> scan;
        if (Result<FolderScan> looked = scanner.scan(folder))
            scan = std::move(looked).value();
        // No picture at all where the list holds some: an empty mount point far more often than every
        // picture deleted; they wait in the list rather than go.
        if (scan && scan->files.isEmpty() &&
            std::any_of(after.paths.cbegin(), after.paths.cend(),
                        [&folder](const QString& path) { return FolderSync::isInside(path, folder); }))
            scan.reset();
        if (!scan)
            outcome.gone.insert(folder);
        else
            outcome.trees.insert(folder, scan->folders);
        if (!after.syncs)
            continue;
        const FolderSync::Edits edits =
            FolderSync::sync(after.paths, folder, after.known[folder], scan, after.leftOut,
                             LoadedImages::MaxEntries - int(after.paths.size()), atMs);
        if (edits.unsettled)
            outcome.unsettled.insert(folder);
        if (edits.isEmpty())
            continue;
        FolderSync::Applied applied = FolderSync::apply(edits, after.paths, after.captions);
        for (int& to : outcome.newPositionOf)
            to = to >= 0 ? applied.newPositionOf.value(to, -1) : -1;
        after.paths = std::move(applied.paths);
        after.captions = std::move(applied.captions);
        outcome.edited = true;
    }
    return outcome;
}

void WatchedFolders::looked(const Outcome& outcome)
{
    m_looking->wait();
    m_looking.reset();
    for (const QString& folder : outcome.folders) {
        if (m_stored.indexOf(folder) < 0)
            continue;
        if (outcome.gone.contains(folder)) {
            m_gone.insert(folder);
        } else {
            m_gone.remove(folder);
            m_treeOf.insert(folder, outcome.trees.value(folder));
        }
    }
    watchWhatWasSeen();
    // Edits of the list not saved yet are the user's: what was found waits for them.
    if (!outcome.after.syncs || m_images.isModified()) {
        m_waiting.unite(QSet<QString>(outcome.folders.cbegin(), outcome.folders.cend()));
    } else if (m_images.paths() != outcome.before.paths) {
        // The list changed while the look ran (an add): made again from the list as it is now.
        m_toLook.unite(QSet<QString>(outcome.folders.cbegin(), outcome.folders.cend()));
    } else {
        save(outcome);
    }
    if (!outcome.unsettled.isEmpty()) {
        m_toLook.unite(outcome.unsettled);
        m_settle.start();
    } else {
        startLooking();
    }
    if (isIdle())
        emit synced();
}

void WatchedFolders::watchWhatWasSeen()
{
    QStringList folders;
    m_polled.clear();
    for (const QString& watched : std::as_const(m_stored.folders)) {
        // The system does not tell of a watched folder itself moved away or back: the folder above it does.
        folders += parentOf(watched);
        if (m_gone.contains(watched))
            continue;
        if (!m_watcher.canWatch(watched))
            m_polled.insert(watched);
        else
            folders += m_treeOf.value(watched, {watched});
    }
    m_watcher.watchOnly(folders);
    for (const QString& failed : std::as_const(m_unwatchable)) {
        for (const QString& watched : std::as_const(m_stored.folders)) {
            if (failed == watched || FolderSync::isInside(failed, watched))
                m_polled.insert(watched);
        }
    }
    // Nothing to wake for while every folder is watched.
    if (m_polled.isEmpty() && m_gone.isEmpty())
        m_poll.stop();
    else if (!m_poll.isActive())
        m_poll.start();
}

void WatchedFolders::save(const Outcome& outcome)
{
    const Basis& after = outcome.after;
    WatchedFolderList stored = m_stored;
    stored.leftOut = after.leftOut;
    Result<> saved;
    if (outcome.edited) {
        const int current = CheckedSettings(m_settings).integer(&Settings::imageNum);
        QList<IniEdit> more = stored.edits();
        more.append(SettingsSchema::edit(
            &Settings::imageNum, QString::number(FolderSync::positionAfter(outcome.newPositionOf, current))));
        saved = m_images.replaceSaved(m_file, after.paths, after.captions, more);
    } else if (stored.leftOut != m_stored.leftOut) {
        saved = stored.save(m_file);
    }
    // A failed save is forgotten whole, so that the next look finds the same again.
    if (!saved) {
        m_prompter.tell(QStringLiteral("Tessaly could not save the changes of its watched folders in %1: %2")
                            .arg(m_file.path(), saved.reason()),
                        PromptIcon::Exclamation);
        return;
    }
    for (const QString& folder : outcome.folders) {
        if (m_stored.indexOf(folder) >= 0)
            m_known.insert(folder, after.known.value(folder));
    }
    m_stored.leftOut = after.leftOut;
    if (outcome.edited) {
        m_cycle.listEdited(outcome.before.paths, outcome.newPositionOf, after.paths);
        m_settings.total = QString::number(after.paths.size());
    }
}
