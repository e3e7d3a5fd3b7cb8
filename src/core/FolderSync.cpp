// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderSync.h"

#include "FolderPath.h"

#include <algorithm>

namespace {

using File = FolderScan::File;

FolderSync::Stamp stampOf(const File& file)
{
    return {file.device, file.inode, file.size, file.modifiedMs};
}

} // namespace

quint64 FolderSync::Known::key(const QString& path)
{
    // Fixed, so that the same path gives the same key whatever the process's own hash seed.
    return quint64(qHash(path, size_t(0x9e3779b97f4a7c15ULL)));
}

void FolderSync::Known::see(const FolderScan::File& file, bool isTaken)
{
    const quint64 at = key(file.path);
    seen.insert(at, stampOf(file));
    if (isTaken)
        taken.insert(at);
}

bool FolderSync::isInside(const QString& path, const QString& folder)
{
    return path.startsWith(FolderPath::withTrailingSeparator(folder));
}

bool FolderSync::pathBefore(const QString& a, const QString& b)
{
    const int order = a.compare(b, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a < b;
}

FolderSync::Edits FolderSync::sync(const QStringList& list, const QString& folder, Known& known,
                                   const std::optional<FolderScan>& scan, QSet<QString>& leftOut, int room,
                                   qint64 nowMs)
{
    Edits edits;
    // An unplugged drive or an unmounted share: its pictures wait in the list for it to come back.
    if (!scan)
        return edits;
    QHash<QString, const File*> byPath;
    QHash<QPair<quint64, quint64>, const File*> byIdentity;
    byPath.reserve(scan->files.size());
    for (const File& file : scan->files) {
        byPath.insert(file.path, &file);
        byIdentity.insert({file.device, file.inode}, &file);
    }
    const QSet<QString> listed(list.cbegin(), list.cend());
    // New names already given to a moved file.
    QSet<QString> claimed;
    const auto movedTo = [&](const QString& gone) -> QString {
        const auto before = known.seen.constFind(Known::key(gone));
        if (before == known.seen.cend())
            return {};
        const File* now = byIdentity.value({before->device, before->inode});
        // A move keeps the identity, the size and the time of writing; a name seen before is another
        // file, even where an inode was reused.
        if (now == nullptr || stampOf(*now) != *before || known.seen.contains(Known::key(now->path)) ||
            listed.contains(now->path) || claimed.contains(now->path))
            return {};
        claimed.insert(now->path);
        return now->path;
    };

    int lastOfFolder = -1;
    for (int i = 0; i < list.size(); ++i) {
        const QString& path = list.at(i);
        if (!isInside(path, folder))
            continue;
        if (byPath.contains(path)) {
            lastOfFolder = i;
        } else if (const QString to = movedTo(path); !to.isEmpty()) {
            edits.renamed.insert(path, to);
            lastOfFolder = i;
        } else {
            edits.removed.insert(path);
        }
    }
    const QSet<QString> leftBefore = leftOut;
    for (const QString& path : leftBefore) {
        if (!isInside(path, folder))
            continue;
        // Put back in the list by the user: no longer left out.
        if (listed.contains(path)) {
            leftOut.remove(path);
            continue;
        }
        if (byPath.contains(path))
            continue;
        leftOut.remove(path);
        if (const QString to = movedTo(path); !to.isEmpty())
            leftOut.insert(to);
    }
    // Taken at the last look and out of the list now: the user removed it, and it must not come back.
    for (const File& file : scan->files) {
        if (known.taken.contains(Known::key(file.path)) && !listed.contains(file.path))
            leftOut.insert(file.path);
    }

    QStringList fresh;
    for (const File& file : scan->files) {
        if (listed.contains(file.path) || leftOut.contains(file.path) || claimed.contains(file.path))
            continue;
        const auto before = known.seen.constFind(Known::key(file.path));
        const bool seenBefore = before != known.seen.cend();
        const qint64 age = nowMs - file.modifiedMs;
        // A file that grew or was touched since the last look, or was written a moment ago, may be half
        // copied; one unchanged since the last look is complete even with a clock ahead of this one.
        if ((seenBefore && *before != stampOf(file)) || (age >= 0 && age < SettleMs) ||
            (age < 0 && !seenBefore)) {
            edits.unsettled = true;
            continue;
        }
        fresh.append(file.path);
    }
    std::sort(fresh.begin(), fresh.end(), pathBefore);
    const int fitting = std::clamp(room + int(edits.removed.size()), 0, int(fresh.size()));
    edits.added = fresh.first(fitting);
    edits.insertAfter = lastOfFolder;

    known.seen.clear();
    known.taken.clear();
    const QSet<QString> added(edits.added.cbegin(), edits.added.cend());
    known.seen.reserve(scan->files.size());
    for (const File& file : scan->files)
        known.see(file, listed.contains(file.path) || claimed.contains(file.path) ||
                            leftOut.contains(file.path) || added.contains(file.path));
    return edits;
}

FolderSync::Applied FolderSync::apply(const Edits& edits, const QStringList& paths,
                                      const QStringList& captions)
{
    Applied out;
    out.paths.reserve(paths.size() + edits.added.size());
    out.captions.reserve(paths.size() + edits.added.size());
    out.newPositionOf.fill(-1, paths.size());
    const auto addFresh = [&out, &edits] {
        out.paths += edits.added;
        for (qsizetype i = 0; i < edits.added.size(); ++i)
            out.captions.append(QString());
    };
    for (int i = 0; i < paths.size(); ++i) {
        const QString& path = paths.at(i);
        if (edits.removed.contains(path))
            continue;
        out.newPositionOf[i] = int(out.paths.size());
        out.paths.append(edits.renamed.value(path, path));
        out.captions.append(captions.value(i));
        if (i == edits.insertAfter)
            addFresh();
    }
    if (edits.insertAfter < 0 || edits.insertAfter >= paths.size())
        addFresh();
    return out;
}

int FolderSync::positionAfter(const QList<int>& newPositionOf, int position)
{
    // Past the end, the list starts again from the top; so it does after the change.
    if (position >= newPositionOf.size())
        return -1;
    for (int i = position; i >= 0; --i) {
        if (newPositionOf.at(i) >= 0)
            return newPositionOf.at(i);
    }
    return -1;
}
