// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderScanner.h"

#include "FileSystem.h"
#include "FolderPath.h"
#include "LoadedImages.h"
#include "PictureFormats.h"

#include <QDir>

FolderScanner::FolderScanner(FileSystem& files) : m_files(files)
{
    for (const QString& pattern : PictureFormats::patterns())
        m_suffixes.insert(pattern.mid(2));
}

Result<FolderScan> FolderScanner::scan(const QString& folder) const
{
    const QString root = QDir::cleanPath(folder);
    const Result<FileStamp> rootStamp = m_files.stat(root);
    if (!rootStamp)
        return rootStamp.failure().prefixed(root + QStringLiteral(": "));
    if (rootStamp->kind != FileKind::Folder)
        return Failure{FailureKind::NotFolder, root + QStringLiteral(": it is not a folder")};
    FolderScan result;
    // Folders entered, by identity: a link or mount leading back up is not walked twice.
    QSet<QPair<quint64, quint64>> entered{{rootStamp->device, rootStamp->inode}};
    QStringList toWalk{root};
    while (!toWalk.isEmpty()) {
        const QString current = toWalk.takeLast();
        const Result<QStringList> names = m_files.listFolder(current);
        if (!names) {
            if (current == root)
                return names.failure().prefixed(root + QStringLiteral(": "));
            continue;
        }
        result.folders.append(current);
        const QString prefix = FolderPath::withTrailingSeparator(current);
        for (const QString& name : *names) {
            // Hidden entries, as PictureCollector leaves them: also where copiers write their part files.
            if (name.startsWith(QLatin1Char('.')))
                continue;
            const QString path = prefix + name;
            const Result<FileStamp> entry = m_files.stat(path);
            if (!entry)
                continue;
            if (entry->kind == FileKind::Folder) {
                // Links to folders are not followed: one back up the tree would never end. One that cannot
                // be read is walked as a folder, which `entered` guards.
                if (const Result<std::optional<QString>> link = m_files.readLink(path);
                    !(link && link->has_value()) && !entered.contains({entry->device, entry->inode})) {
                    entered.insert({entry->device, entry->inode});
                    toWalk.append(path);
                }
                continue;
            }
            const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
            if (entry->kind != FileKind::Regular || dot <= 0 ||
                !m_suffixes.contains(name.mid(dot + 1).toLower()) ||
                !LoadedImages::storeProblem(path).isEmpty())
                continue;
            result.files.append(
                {path, entry->device, entry->inode, entry->size, entry->modifiedNs / 1'000'000});
        }
    }
    return result;
}
