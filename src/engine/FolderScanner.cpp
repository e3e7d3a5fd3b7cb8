// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderScanner.h"

#include "FileSystem.h"
#include "FolderPath.h"
#include "LoadedImages.h"
#include "PictureFormats.h"

#include <QDir>
#include <cerrno>

FolderScanner::FolderScanner(FileSystem& files) : m_files(files)
{
    for (const QString& pattern : PictureFormats::patterns())
        m_suffixes.insert(pattern.mid(2));
}

Result<FolderScan> FolderScanner::scan(const QString& folder) const
{
    const QString root = QDir::cleanPath(folder);
    FileStamp stamp;
    if (const int error = m_files.stat(root, &stamp); error != 0)
        return Failure{error == ENOENT ? FailureKind::NotFound : FailureKind::Other,
                       root + QStringLiteral(": ") + m_files.errorText(error)};
    if (stamp.kind != FileKind::Folder)
        return Failure{FailureKind::NotFolder, root + QStringLiteral(": it is not a folder")};
    FolderScan result;
    // Folders entered, by identity: a link or mount leading back up is not walked twice.
    QSet<QPair<quint64, quint64>> entered{{stamp.device, stamp.inode}};
    QStringList toWalk{root};
    while (!toWalk.isEmpty()) {
        const QString current = toWalk.takeLast();
        QStringList names;
        if (const int error = m_files.listFolder(current, &names); error != 0) {
            if (current == root)
                return Failure{FailureKind::Other, root + QStringLiteral(": ") + m_files.errorText(error)};
            continue;
        }
        result.folders.append(current);
        const QString prefix = FolderPath::withTrailingSeparator(current);
        for (const QString& name : std::as_const(names)) {
            // Hidden entries, as PictureCollector leaves them: also where copiers write their part files.
            if (name.startsWith(QLatin1Char('.')))
                continue;
            const QString path = prefix + name;
            FileStamp entry;
            if (m_files.stat(path, &entry) != 0)
                continue;
            if (entry.kind == FileKind::Folder) {
                if (QString target;
                    m_files.readLink(path, &target) != 0 && !entered.contains({entry.device, entry.inode})) {
                    entered.insert({entry.device, entry.inode});
                    toWalk.append(path);
                }
                continue;
            }
            const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
            if (entry.kind != FileKind::Regular || dot <= 0 ||
                !m_suffixes.contains(name.mid(dot + 1).toLower()) ||
                !LoadedImages::storeProblem(path).isEmpty())
                continue;
            result.files.append({path, entry.device, entry.inode, entry.size, entry.modifiedNs / 1'000'000});
        }
    }
    return result;
}
