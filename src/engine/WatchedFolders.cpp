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
}

WatchedFolders::~WatchedFolders()
{
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
    m_waiting.removeIf([&removed](const Look& look) { return look.folder == removed; });
    watchWhatWasSeen();
    return {};
}

void WatchedFolders::listSettled()
{
    if (m_waiting.isEmpty() || m_images.isModified())
        return;
    // What was seen before the edits is stale: looked at again, and what the user removed is left out.
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
    m_looking.reset(QThread::create([this, folders] {
        QList<Look> looks;
        for (const QString& folder : folders) {
            if (m_abandon)
                return;
            Look look{folder, std::nullopt, false, QDateTime::currentMSecsSinceEpoch()};
            if (Result<FolderScan> scan = m_scanner.scan(folder))
                look.scan = std::move(scan).value();
            looks.append(std::move(look));
        }
        QMetaObject::invokeMethod(
            this, [this, looks] { looked(looks); }, Qt::QueuedConnection);
    }));
    m_looking->start(QThread::LowPriority);
}

void WatchedFolders::looked(const QList<Look>& looks)
{
    m_looking->wait();
    m_looking.reset();
    const QStringList listed = m_images.paths();
    for (Look look : looks) {
        if (m_stored.indexOf(look.folder) < 0)
            continue;
        // No picture at all where the list holds some: an empty mount point far more often than every
        // picture deleted; they wait in the list rather than go.
        if (look.scan && look.scan->files.isEmpty() &&
            std::any_of(listed.cbegin(), listed.cend(),
                        [&look](const QString& path) { return FolderSync::isInside(path, look.folder); }))
            look.scan.reset();
        look.gone = !look.scan;
        if (look.gone) {
            m_gone.insert(look.folder);
        } else {
            m_gone.remove(look.folder);
            m_treeOf.insert(look.folder, look.scan->folders);
        }
        m_waiting.removeIf([&look](const Look& waiting) { return waiting.folder == look.folder; });
        m_waiting.append(std::move(look));
    }
    watchWhatWasSeen();
    syncWaiting();
    startLooking();
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
    for (const QString& failed : m_watcher.watchOnly(folders)) {
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

void WatchedFolders::syncWaiting()
{
    // Edits of the list not saved yet are the user's: what was found waits for them.
    if (m_waiting.isEmpty() || m_images.isModified())
        return;
    const QStringList oldPaths = m_images.paths();
    QStringList paths = oldPaths;
    QStringList captions;
    captions.reserve(paths.size());
    for (int i = 0; i < m_images.count(); ++i)
        captions.append(m_images.captionAt(i));
    QList<int> newPositionOf(paths.size());
    std::iota(newPositionOf.begin(), newPositionOf.end(), 0);
    const WatchedFolderList storedBefore = m_stored;
    const QHash<QString, FolderSync::Known> knownBefore = m_known;
    bool edited = false;
    for (const Look& look : std::as_const(m_waiting)) {
        const FolderSync::Edits edits =
            FolderSync::sync(paths, look.folder, m_known[look.folder], look.scan, m_stored.leftOut,
                             LoadedImages::MaxEntries - int(paths.size()), look.atMs);
        if (edits.unsettled) {
            m_toLook.insert(look.folder);
            m_settle.start();
        }
        if (edits.isEmpty())
            continue;
        FolderSync::Applied applied = FolderSync::apply(edits, paths, captions);
        for (int& to : newPositionOf)
            to = to >= 0 ? applied.newPositionOf.value(to, -1) : -1;
        paths = std::move(applied.paths);
        captions = std::move(applied.captions);
        edited = true;
    }
    m_waiting.clear();
    Result<> saved;
    if (edited) {
        const int current = CheckedSettings(m_settings).integer(&Settings::imageNum);
        QList<IniEdit> more = m_stored.edits();
        more.append(SettingsSchema::edit(&Settings::imageNum,
                                         QString::number(FolderSync::positionAfter(newPositionOf, current))));
        saved = m_images.replaceSaved(m_file, paths, captions, more);
    } else if (m_stored.leftOut != storedBefore.leftOut) {
        saved = m_stored.save(m_file);
    }
    if (!saved) {
        // Forgotten, so that the next look finds the same again.
        m_known = knownBefore;
        m_stored = storedBefore;
        m_prompter.tell(QStringLiteral("Tessaly could not save the changes of its watched folders in %1: %2")
                            .arg(m_file.path(), saved.reason()),
                        PromptIcon::Exclamation);
    } else if (edited) {
        m_cycle.listEdited(oldPaths, newPositionOf, paths);
        m_settings.total = QString::number(paths.size());
    }
    emit synced();
}
