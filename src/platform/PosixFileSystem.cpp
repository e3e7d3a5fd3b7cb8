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

int lastError()
{
    return errno ? errno : EIO;
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

bool refuse(QString* reason, const QString& why)
{
    if (reason)
        *reason = why;
    return false;
}

} // namespace

PosixFileSystem& PosixFileSystem::instance()
{
    static PosixFileSystem fs;
    return fs;
}

int PosixFileSystem::stat(const QString& path, FileStamp* stamp)
{
    struct stat st;
    if (::stat(native(path).constData(), &st) != 0) {
        *stamp = FileStamp{};
        return lastError();
    }
    *stamp = FileStamp{true,
                       fileKind(st.st_mode),
                       quint64(st.st_dev),
                       quint64(st.st_ino),
                       qint64(st.st_size),
                       nanoseconds(st.st_mtim),
                       nanoseconds(st.st_ctim),
                       quint32(st.st_mode & 07777)};
    return 0;
}

int PosixFileSystem::readLink(const QString& path, QString* target)
{
    QByteArray buffer(4096, Qt::Uninitialized);
    const ssize_t length = ::readlink(native(path).constData(), buffer.data(), size_t(buffer.size()));
    if (length < 0)
        return lastError();
    if (length >= buffer.size())
        return ENAMETOOLONG;
    *target = QFile::decodeName(buffer.left(length));
    return 0;
}

int PosixFileSystem::readFile(const QString& path, QByteArray* content)
{
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return lastError();
    QByteArray data;
    // Sized from the file at once: a long list is read without growing the buffer again and again.
    if (struct stat st; ::fstat(fd, &st) == 0 && st.st_size > 0)
        data.reserve(qsizetype(st.st_size));
    char buffer[65536];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) != 0;) {
        if (got > 0) {
            data.append(buffer, got);
        } else if (errno != EINTR) {
            const int error = lastError();
            ::close(fd);
            return error;
        }
    }
    ::close(fd);
    *content = std::move(data);
    return 0;
}

int PosixFileSystem::checkWritable(const QString& path)
{
    return ::access(native(path).constData(), W_OK) == 0 ? 0 : lastError();
}

int PosixFileSystem::makeFolders(const QString& path, QString* failed)
{
    // One level at a time, so that the folder that fails and its own reason are known, which
    // QDir::mkpath() keeps to itself.
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (qsizetype end = 0; end >= 0;) {
        end = absolute.indexOf(QLatin1Char('/'), end + 1);
        const QString folder = end < 0 ? absolute : absolute.left(end);
        const QByteArray name = native(folder);
        struct stat st;
        int error = ::stat(name.constData(), &st) == 0 ? 0 : lastError();
        if (error == ENOENT) {
            error = ::mkdir(name.constData(), 0777) == 0 ? 0 : lastError();
            // Made by someone else meanwhile: look at what is there now.
            if (error == EEXIST)
                error = ::stat(name.constData(), &st) == 0 ? 0 : lastError();
            else if (error == 0)
                st.st_mode = S_IFDIR;
        }
        if (error == 0 && !S_ISDIR(st.st_mode))
            error = ENOTDIR;
        if (error) {
            if (failed)
                *failed = folder;
            return error;
        }
    }
    return 0;
}

int PosixFileSystem::createNew(const QString& path, quint32 mode, int* fd)
{
    *fd = ::open(native(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    return *fd < 0 ? lastError() : 0;
}

int PosixFileSystem::write(int fd, qint64 offset, const char* data, qint64 size, qint64* written)
{
    ssize_t result;
    do {
        result = ::pwrite(fd, data, size_t(size), off_t(offset));
    } while (result < 0 && errno == EINTR);
    *written = result < 0 ? 0 : result;
    return result < 0 ? lastError() : 0;
}

int PosixFileSystem::setMode(int fd, quint32 mode)
{
    return ::fchmod(fd, mode) == 0 ? 0 : lastError();
}

int PosixFileSystem::sync(int fd)
{
    return ::fsync(fd) == 0 ? 0 : lastError();
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

int PosixFileSystem::close(int fd)
{
    // The descriptor is gone even when close reports an error; it must not be closed again.
    return ::close(fd) == 0 ? 0 : lastError();
}

int PosixFileSystem::rename(const QString& from, const QString& to)
{
    return ::rename(native(from).constData(), native(to).constData()) == 0 ? 0 : lastError();
}

int PosixFileSystem::remove(const QString& path)
{
    return ::unlink(native(path).constData()) == 0 ? 0 : lastError();
}

int PosixFileSystem::syncFolder(const QString& path)
{
    const int fd = ::open(native(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return lastError();
    int error = ::fsync(fd) == 0 ? 0 : lastError();
    ::close(fd);
    // Some file systems cannot sync a folder at all; that is no failure of the save.
    if (error == EINVAL || error == ENOTSUP)
        error = 0;
    return error;
}

int PosixFileSystem::listFolder(const QString& path, QStringList* names)
{
    DIR* dir = ::opendir(native(path).constData());
    if (!dir)
        return lastError();
    names->clear();
    while (const dirent* entry = ::readdir(dir))
        names->append(QFile::decodeName(entry->d_name));
    ::closedir(dir);
    return 0;
}

bool PosixFileSystem::openRegular(const QString& path, QFile& file, QString* reason)
{
    if (path.isEmpty())
        return refuse(reason, QStringLiteral("no file is named"));
    const QByteArray native = QFile::encodeName(path);
    // Looked at before opening, so that a device is never opened at all.
    struct stat info = {};
    if (::stat(native.constData(), &info) != 0)
        return refuse(reason, qt_error_string(errno));
    if (!S_ISREG(info.st_mode))
        return refuse(reason, FileSystem::refusal(fileKind(info.st_mode)));
    // Not blocking, and looked at again once open: the name may have been given to a pipe in between.
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return refuse(reason, qt_error_string(errno));
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const QString why =
            S_ISREG(info.st_mode) ? qt_error_string(errno) : FileSystem::refusal(fileKind(info.st_mode));
        ::close(fd);
        return refuse(reason, why);
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refuse(reason, file.errorString());
    }
    return true;
}
