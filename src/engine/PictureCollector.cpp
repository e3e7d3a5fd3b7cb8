// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureCollector.h"

#include "FileSystem.h"
#include "FolderPath.h"
#include "LoadedImages.h"
#include "PictureFormats.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QSet>

#include <algorithm>

namespace {

/** Case-insensitive first, so that "b.jpg" follows "A.jpg" as a file manager shows them. */
bool pathBefore(const QString& a, const QString& b)
{
    const int order = a.compare(b, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a < b;
}

/** The suffixes the picture patterns name, lower case. */
QSet<QString> pictureSuffixes()
{
    QSet<QString> suffixes;
    for (const QString& pattern : PictureFormats::patterns())
        suffixes.insert(pattern.mid(2));
    return suffixes;
}

/** Whether path is a symbolic link; one that cannot be read is walked as a folder, which `entered` guards. */
bool isLink(FileSystem& files, const QString& path)
{
    const Result<std::optional<QString>> link = files.readLink(path);
    return link && link->has_value();
}

} // namespace

struct PictureCollector::Walk
{
    Walk(FileSystem& fs, bool withSubfolders) : files(fs), subfolders(withSubfolders) {}

    FileSystem& files;
    bool subfolders;
    QSet<QString> suffixes = pictureSuffixes();
    QStringList found;
    QList<Refusal> refused;
    /** Folders entered, by device and inode: a junction or mount that leads back up is not walked twice. */
    QSet<QPair<quint64, quint64>> entered;
};

QString PictureCollector::lookProblem(const QString& path, const Failure& failure)
{
    if (failure.kind != FailureKind::NotFound)
        return failure.reason;
    // A listed name that is not there any more was not valid UTF-8: its bytes were replaced when it was
    // read, so the name no longer leads to the file.
    if (path.contains(QChar::ReplacementCharacter))
        return LoadedImages::notUtf8Reason();
    return QStringLiteral("no such file or folder");
}

void PictureCollector::gather(Walk& walk, const QString& folder)
{
    const Result<QStringList> names = walk.files.listFolder(folder);
    if (!names) {
        walk.refused.append({folder, names.reason()});
        return;
    }
    const QString prefix = FolderPath::withTrailingSeparator(folder);
    for (const QString& name : *names) {
        // Hidden entries are not shown by file managers: the user did not mean them ("." and ".." too).
        if (name.startsWith(QLatin1Char('.')))
            continue;
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        const bool pictureName = dot > 0 && walk.suffixes.contains(name.mid(dot + 1).toLower());
        if (!pictureName && !walk.subfolders)
            continue;
        const QString path = prefix + name;
        const Result<FileStamp> looked = walk.files.stat(path);
        if (!looked) {
            // Any entry may be a folder of pictures; other files that cannot be looked at are not missed.
            const QString problem = lookProblem(path, looked.failure());
            if (pictureName || problem == LoadedImages::notUtf8Reason())
                walk.refused.append({path, problem});
            continue;
        }
        const FileStamp& stamp = *looked;
        if (stamp.kind == FileKind::Folder) {
            // Links to folders are not followed: one back up the tree would never end.
            if (walk.subfolders && !isLink(walk.files, path) &&
                !walk.entered.contains({stamp.device, stamp.inode})) {
                walk.entered.insert({stamp.device, stamp.inode});
                gather(walk, path);
            }
        } else if (pictureName) {
            if (stamp.kind == FileKind::Regular)
                walk.found.append(path);
            else
                walk.refused.append({path, FileSystem::refusal(stamp.kind)});
        }
    }
}

PictureCollector::Collected PictureCollector::collect(FileSystem& files, const QStringList& paths,
                                                      bool subfolders)
{
    Collected result;
    for (const QString& named : paths) {
        const QString path = QDir::cleanPath(named);
        const Result<FileStamp> looked = files.stat(path);
        const FileStamp stamp = looked ? *looked : FileStamp{};
        if (!looked) {
            result.refused.append({path, lookProblem(path, looked.failure())});
        } else if (stamp.kind == FileKind::Regular) {
            result.pictures.append(path);
        } else if (stamp.kind != FileKind::Folder) {
            result.refused.append({path, FileSystem::refusal(stamp.kind)});
        } else {
            Walk walk(files, subfolders);
            walk.entered.insert({stamp.device, stamp.inode});
            gather(walk, path);
            if (walk.found.isEmpty() && walk.refused.isEmpty())
                result.emptyFolders.append(path);
            std::sort(walk.found.begin(), walk.found.end(), pathBefore);
            std::sort(walk.refused.begin(), walk.refused.end(),
                      [](const Refusal& a, const Refusal& b) { return pathBefore(a.path, b.path); });
            result.pictures += walk.found;
            result.refused += walk.refused;
        }
    }
    return result;
}

QString PictureCollector::contentProblem(FileSystem& files, const QString& file)
{
    QFile device;
    if (const Result<> opened = files.openRegular(file, device); !opened)
        return opened.reason();
    QImageReader reader(&device);
    PictureFormats::decideByContent(reader);
    return reader.canRead() ? QString() : QStringLiteral("not a picture");
}
