// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

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
 * of them fail. Each returns 0 or an errno value.
 */
class FileSystem
{
public:
    virtual ~FileSystem() = default;
    /** Follows symbolic links; a missing file gives ENOENT. */
    virtual int stat(const QString& path, FileStamp* stamp) = 0;
    /** The target text of a symbolic link; EINVAL when path is not a link. */
    virtual int readLink(const QString& path, QString* target) = 0;
    /** The whole content of a file. */
    virtual int readFile(const QString& path, QByteArray* content) = 0;
    /** Whether the current user may write the existing file. */
    virtual int checkWritable(const QString& path) = 0;
    /**
     * Creates the folder and its missing parents; 0 when it is there already. On failure `failed` (when
     * given) names the folder that could not be made or looked at: a parent may be the one in the way.
     */
    virtual int makeFolders(const QString& path, QString* failed = nullptr) = 0;
    /** Creates a new file for writing with the given permissions (less the umask); EEXIST when it exists. */
    virtual int createNew(const QString& path, quint32 permissions, int* fd) = 0;
    /**
     * Writes up to size bytes at `offset`, leaving the file position alone, so that threads may write
     * different parts at once; *written says how many were written.
     */
    virtual int write(int fd, qint64 offset, const char* data, qint64 size, qint64* written) = 0;
    /** Sets the permission bits (07777) of an open file. */
    virtual int setMode(int fd, quint32 permissions) = 0;
    virtual int sync(int fd) = 0;
    /** Starts writing what was written so far to disk without waiting, so that sync() has less to wait for.
     */
    virtual void startSync(int fd) = 0;
    virtual int close(int fd) = 0;
    virtual int rename(const QString& from, const QString& to) = 0;
    virtual int remove(const QString& path) = 0;
    /** Makes the folder's entries (a rename) durable. */
    virtual int syncFolder(const QString& path) = 0;
    /** Names of the entries of a folder. */
    virtual int listFolder(const QString& path, QStringList* names) = 0;
    /**
     * Opens a listed file for reading into `file` only when it is a regular file (a symbolic link to one
     * is fine). Opening a named pipe would block until something writes to it, a device can be endless
     * or act on being opened, and a folder holds no picture: each is refused with its reason in `reason`
     * (when given), never waited on. The one call here that returns a reason rather than an errno value.
     */
    [[nodiscard]] virtual bool openRegular(const QString& path, QFile& file, QString* reason) = 0;
    /** The words for an error value the calls above returned, as the user is told them. */
    virtual QString errorText(int error) const { return qt_error_string(error); }

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
