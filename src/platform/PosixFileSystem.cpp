// SPDX-License-Identifier: GPL-3.0-or-later
#include "PosixFileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

/** The failure an errno value stands for, told in the system's words. */
Failure failureOf(int error)
{
    FailureKind kind = FailureKind::Other;
    switch (error) {
    case ENOENT:
        kind = FailureKind::NotFound;
        break;
    case EEXIST:
        kind = FailureKind::Exists;
        break;
    case ENOTDIR:
        kind = FailureKind::NotFolder;
        break;
    case EACCES:
    case EPERM:
    case EROFS:
        kind = FailureKind::Denied;
        break;
    }
    return {kind, qt_error_string(error), {}};
}

/** What the call that just failed set errno to. */
Failure lastFailure()
{
    return failureOf(errno ? errno : EIO);
}

/** 0 from a call that sets errno on failure, as a Result. */
Result<> checked(int status)
{
    if (status != 0)
        return lastFailure();
    return {};
}

qint64 nanoseconds(const timespec& time)
{
    return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
}

FileKind fileKind(mode_t mode)
{
    if (S_ISREG(mode))
        return FileKind::Regular;
    if (S_ISDIR(mode))
        return FileKind::Folder;
    if (S_ISFIFO(mode))
        return FileKind::Pipe;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return FileKind::Device;
    if (S_ISSOCK(mode))
        return FileKind::Socket;
    return FileKind::Other;
}

} // namespace

PosixFileSystem& PosixFileSystem::instance()
{
    static PosixFileSystem fs;
    return fs;
}

Result<FileStamp> PosixFileSystem::stat(const QString& path)
{
    struct stat st;
    if (::stat(native(path).constData(), &st) != 0)
        return lastFailure();
    return FileStamp{true,
                     fileKind(st.st_mode),
                     quint64(st.st_dev),
                     quint64(st.st_ino),
                     qint64(st.st_size),
                     nanoseconds(st.st_mtim),
                     nanoseconds(st.st_ctim),
                     quint32(st.st_mode & 07777)};
}

Result<std::optional<QString>> PosixFileSystem::readLink(const QString& path)
{
    QByteArray buffer(4096, Qt::Uninitialized);
    const ssize_t length = ::readlink(native(path).constData(), buffer.data(), size_t(buffer.size()));
    if (length < 0 && errno == EINVAL)
        return std::optional<QString>();
    if (length < 0)
        return lastFailure();
    if (length >= buffer.size())
        return failureOf(ENAMETOOLONG);
    return std::optional<QString>(QFile::decodeName(buffer.left(length)));
}

Result<QByteArray> PosixFileSystem::readFile(const QString& path)
{
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return lastFailure();
    QByteArray data;
    // Sized from the file at once: a long list is read without growing the buffer again and again.
    if (struct stat st; ::fstat(fd, &st) == 0 && st.st_size > 0)
        data.reserve(qsizetype(st.st_size));
    char buffer[65536];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) != 0;) {
        if (got > 0) {
            data.append(buffer, got);
        } else if (errno != EINTR) {
            const Failure failure = lastFailure();
            ::close(fd);
            return failure;
        }
    }
    ::close(fd);
    return data;
}

Result<> PosixFileSystem::checkWritable(const QString& path)
{
    return checked(::access(native(path).constData(), W_OK));
}

Result<> PosixFileSystem::makeFolders(const QString& path)
{
    // One level at a time, so that the folder that fails and its own reason are known, which
    // QDir::mkpath() keeps to itself.
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (qsizetype end = 0; end >= 0;) {
        end = absolute.indexOf(QLatin1Char('/'), end + 1);
        const QString folder = end < 0 ? absolute : absolute.left(end);
        const QByteArray name = native(folder);
        struct stat st;
        int error = ::stat(name.constData(), &st) == 0 ? 0 : (errno ? errno : EIO);
        if (error == ENOENT) {
            error = ::mkdir(name.constData(), 0777) == 0 ? 0 : (errno ? errno : EIO);
            // Made by someone else meanwhile: look at what is there now.
            if (error == EEXIST)
                error = ::stat(name.constData(), &st) == 0 ? 0 : (errno ? errno : EIO);
            else if (error == 0)
                st.st_mode = S_IFDIR;
        }
        if (error == 0 && !S_ISDIR(st.st_mode))
            error = ENOTDIR;
        if (error) {
            Failure failure = failureOf(error);
            failure.path = folder;
            return failure;
        }
    }
    return {};
}

Result<int> PosixFileSystem::createNew(const QString& path, quint32 mode)
{
    const int fd = ::open(native(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0)
        return lastFailure();
    return fd;
}

Result<qint64> PosixFileSystem::write(int fd, qint64 offset, const char* data, qint64 size)
{
    ssize_t result;
    do {
        result = ::pwrite(fd, data, size_t(size), off_t(offset));
    } while (result < 0 && errno == EINTR);
    if (result < 0)
        return lastFailure();
    return qint64(result);
}

Result<> PosixFileSystem::setMode(int fd, quint32 mode)
{
    return checked(::fchmod(fd, mode));
}

Result<> PosixFileSystem::sync(int fd)
{
    return checked(::fsync(fd));
}

void PosixFileSystem::startSync(int fd)
{
#if defined(Q_OS_LINUX)
    // Only a hint: sync() still reports whatever fails.
    ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#else
    Q_UNUSED(fd);
#endif
}

Result<> PosixFileSystem::close(int fd)
{
    // The descriptor is gone even when close reports an error; it must not be closed again.
    return checked(::close(fd));
}

Result<> PosixFileSystem::rename(const QString& from, const QString& to)
{
    return checked(::rename(native(from).constData(), native(to).constData()));
}

Result<> PosixFileSystem::remove(const QString& path)
{
    return checked(::unlink(native(path).constData()));
}

Result<> PosixFileSystem::syncFolder(const QString& path)
{
    const int fd = ::open(native(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return lastFailure();
    const int error = ::fsync(fd) == 0 ? 0 : (errno ? errno : EIO);
    ::close(fd);
    // Some file systems cannot sync a folder at all; that is no failure of the save.
    if (error == 0 || error == EINVAL || error == ENOTSUP)
        return {};
    return failureOf(error);
}

Result<QStringList> PosixFileSystem::listFolder(const QString& path)
{
    DIR* dir = ::opendir(native(path).constData());
    if (!dir)
        return lastFailure();
    QStringList names;
    while (const dirent* entry = ::readdir(dir))
        names.append(QFile::decodeName(entry->d_name));
    ::closedir(dir);
    return names;
}

Result<> PosixFileSystem::openRegular(const QString& path, QFile& file)
{
    if (path.isEmpty())
        return Failure{FailureKind::NotFound, QStringLiteral("no file is named"), {}};
    const QByteArray native = QFile::encodeName(path);
    // Looked at before opening, so that a device is never opened at all.
    struct stat info = {};
    if (::stat(native.constData(), &info) != 0)
        return lastFailure();
    if (!S_ISREG(info.st_mode))
        return Failure::because(FileSystem::refusal(fileKind(info.st_mode)));
    // Not blocking, and looked at again once open: the name may have been given to a pipe in between.
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return lastFailure();
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const Failure failure = S_ISREG(info.st_mode)
                                    ? lastFailure()
                                    : Failure::because(FileSystem::refusal(fileKind(info.st_mode)));
        ::close(fd);
        return failure;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Failure::because(file.errorString());
    }
    return {};
}
