// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Result.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QFile;

/** What kind of thing a name stands for. */
enum class FileKind { Other, Regular, Folder, Pipe, Device, Socket };

/** What stat() tells about a file; two equal stamps mean the file was not changed in between. */
struct FileStamp
{
    bool exists = false;
    FileKind kind = FileKind::Other;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    /** Last written and last changed (its data or its attributes), in nanoseconds since 1970 (UTC). */
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    /** The permission bits (07777). */
    quint32 permissions = 0;

    bool operator==(const FileStamp&) const = default;
};

/**
 * The low-level file operations a save is made of, one call each, so that a test can make any one
 * of them fail. A failure carries its kind and the words the user is told ("Permission denied").
 */
class FileSystem
{
public:
    virtual ~FileSystem() = default;
    /** Follows symbolic links; a missing file fails as NotFound. */
    virtual Result<FileStamp> stat(const QString& path) = 0;
    /** The target text of a symbolic link; none when path is there but is not a link. */
    virtual Result<std::optional<QString>> readLink(const QString& path) = 0;
    /** The whole content of a file. */
    virtual Result<QByteArray> readFile(const QString& path) = 0;
    /** Whether the current user may write the existing file. */
    virtual Result<> checkWritable(const QString& path) = 0;
    /**
     * Creates the folder and its missing parents; fine when it is there already. A failure's path names
     * the folder that could not be made or looked at: a parent may be the one in the way.
     */
    virtual Result<> makeFolders(const QString& path) = 0;
    /**
     * Creates a new file for writing with the given permissions (less the umask) and gives its descriptor;
     * fails as Exists when the name is taken.
     */
    virtual Result<int> createNew(const QString& path, quint32 permissions) = 0;
    /**
     * Writes up to size bytes at `offset`, leaving the file position alone, so that threads may write
     * different parts at once; gives how many were written.
     */
    virtual Result<qint64> write(int fd, qint64 offset, const char* data, qint64 size) = 0;
    /** Sets the permission bits (07777) of an open file. */
    virtual Result<> setMode(int fd, quint32 permissions) = 0;
    virtual Result<> sync(int fd) = 0;
    /** Starts writing what was written so far to disk without waiting, so that sync() has less to wait for.
     */
    virtual void startSync(int fd) = 0;
    /** The descriptor is gone afterwards even when this fails. */
    virtual Result<> close(int fd) = 0;
    virtual Result<> rename(const QString& from, const QString& to) = 0;
    virtual Result<> remove(const QString& path) = 0;
    /** Makes the folder's entries (a rename) durable. */
    virtual Result<> syncFolder(const QString& path) = 0;
    /** Names of the entries of a folder. */
    virtual Result<QStringList> listFolder(const QString& path) = 0;
    /**
     * Opens a listed file for reading into `file` only when it is a regular file (a symbolic link to one
     * is fine). Opening a named pipe would block until something writes to it, a device can be endless
     * or act on being opened, and a folder holds no picture: each is refused with its reason, never
     * waited on.
     */
    virtual Result<> openRegular(const QString& path, QFile& file) = 0;

    /**
     * Why a file of this kind cannot serve as `wanted` ("a picture file", "a plain file"): "it is a
     * named pipe, not a picture file".
     */
    static QString refusal(FileKind kind, const char* wanted = "a picture file")
    {
        const char* what = nullptr;
        switch (kind) {
        case FileKind::Folder:
            what = "a folder";
            break;
        case FileKind::Pipe:
            what = "a named pipe";
            break;
        case FileKind::Device:
            what = "a device";
            break;
        case FileKind::Socket:
            what = "a socket";
            break;
        case FileKind::Regular:
        case FileKind::Other:
            return QStringLiteral("it is not a plain file");
        }
        return QStringLiteral("it is %1, not %2").arg(QLatin1String(what), QLatin1String(wanted));
    }
};
