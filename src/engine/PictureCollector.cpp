// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureCollector.h"

#include "PictureFormats.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>

namespace {

/** Case-insensitive first, so that "b.jpg" follows "A.jpg" as a file manager shows them. */
bool pathBefore(const QString& a, const QString& b)
{
    const int order = a.compare(b, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a < b;
}

} // namespace

QStringList PictureCollector::folderPictures(const QString& folder, bool subfolders, int limit)
{
    QStringList found;
    // Symbolic links to folders are not followed: a link back up the tree would never end.
    QDirIterator entries(folder, PictureFormats::patterns(), QDir::Files,
                         subfolders ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (entries.hasNext() && found.size() < limit) {
        const QString path = QDir::cleanPath(entries.next());
        if (QFileInfo(path).isFile())
            found.append(path);
    }
    std::sort(found.begin(), found.end(), pathBefore);
    return found;
}

QString PictureCollector::fileProblem(const QString& file)
{
    const QFileInfo info(file);
    if (!info.exists())
        return QStringLiteral("no such file or folder");
    if (!info.isFile())
        return QStringLiteral("not a regular file");
    if (!info.isReadable())
        return QStringLiteral("cannot be read");
    QImageReader reader(file);
    PictureFormats::decideByContent(reader);
    if (!reader.canRead())
        return QStringLiteral("not a picture");
    return {};
}

PictureCollector::Collected PictureCollector::collect(const QStringList& paths, bool subfolders, int limit)
{
    Collected result;
    for (const QString& path : paths) {
        const int room = limit - static_cast<int>(result.pictures.size());
        if (QFileInfo(path).isDir()) {
            const QStringList pictures = folderPictures(path, subfolders, std::max(room, 0));
            if (pictures.isEmpty() && room > 0)
                result.emptyFolders.append(path);
            result.pictures += pictures;
        } else if (const QString problem = fileProblem(path); !problem.isEmpty()) {
            result.refused.append({path, problem});
        } else if (room > 0) {
            result.pictures.append(QDir::cleanPath(path));
        }
    }
    return result;
}
