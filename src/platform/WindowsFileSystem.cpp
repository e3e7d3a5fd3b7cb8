// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowsFileSystem.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>

#include <windows.h>

#include <shlobj.h>

namespace {

std::wstring native(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

/** The errno value the code above understands for a Win32 error. */
int errnoFor(DWORD error)
{
    switch (error) {
    case ERROR_SUCCESS:
        return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_CURRENT_DIRECTORY:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
        return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    case ERROR_INVALID_HANDLE:
        return EBADF;
    default:
        return EIO;
    }
}

int lastError()
{
    const int error = errnoFor(GetLastError());
    return error ? error : EIO;
}

/** Reads attributes only; shared every way, so that a file another program holds open is still seen. */
HANDLE openForLook(const std::wstring& path)
{
    return CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

qint64 nanoseconds(LARGE_INTEGER time)
{
    // Windows counts 100 ns steps from 1601, the callers nanoseconds from 1970 (a caption shows the date);
    // counted from 1601 in nanoseconds, today's time would overflow.
    constexpr qint64 StepsFrom1601To1970 = 116'444'736'000'000'000;
    return (time.QuadPart - StepsFrom1601To1970) * 100;
}

FileKind fileKind(DWORD attributes, DWORD type)
{
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return FileKind::Folder;
    if (type == FILE_TYPE_PIPE)
        return FileKind::Pipe;
    if (type == FILE_TYPE_CHAR)
        return FileKind::Device;
    return type == FILE_TYPE_DISK ? FileKind::Regular : FileKind::Other;
}

bool refuse(QString* reason, const QString& why)
{
    if (reason)
        *reason = why;
    return false;
}

HANDLE handleOf(int fd)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

/** Hands a Win32 handle to the C runtime; the descriptor owns it from then on. */
int adopt(HANDLE handle, int flags, int* fd)
{
    *fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
    if (*fd >= 0)
        return 0;
    CloseHandle(handle);
    return EMFILE;
}

} // namespace

WindowsFileSystem& WindowsFileSystem::instance()
{
    static WindowsFileSystem fs;
    return fs;
}

int WindowsFileSystem::stat(const QString& path, FileStamp* stamp)
{
    *stamp = FileStamp{};
    const HANDLE handle = openForLook(native(path));
    if (handle == INVALID_HANDLE_VALUE)
        return lastError();
    BY_HANDLE_FILE_INFORMATION info = {};
    FILE_BASIC_INFO times = {};
    const bool known = GetFileInformationByHandle(handle, &info) &&
                       GetFileInformationByHandleEx(handle, FileBasicInfo, &times, sizeof times);
    const int error = known ? 0 : lastError();
    const DWORD type = GetFileType(handle);
    CloseHandle(handle);
    if (error)
        return error;
    const bool readOnly = info.dwFileAttributes & FILE_ATTRIBUTE_READONLY;
    *stamp = FileStamp{true,
                       fileKind(info.dwFileAttributes, type),
                       quint64(info.dwVolumeSerialNumber),
                       (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
                       (qint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
                       nanoseconds(times.LastWriteTime),
                       nanoseconds(times.ChangeTime),
                       readOnly ? 0444u : 0666u};
    return 0;
}

int WindowsFileSystem::readLink(const QString&, QString*)
{
    // Links are rare on Windows and CreateFileW follows them anyway: every name is taken as it is.
    return EINVAL;
}

int WindowsFileSystem::readFile(const QString& path, QByteArray* content)
{
    const HANDLE handle = CreateFileW(native(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return lastError();
    QByteArray data;
    if (LARGE_INTEGER size; GetFileSizeEx(handle, &size) && size.QuadPart > 0)
        data.reserve(qsizetype(size.QuadPart));
    char buffer[65536];
    int error = 0;
    for (DWORD got = 0;; data.append(buffer, got)) {
        if (!ReadFile(handle, buffer, sizeof buffer, &got, nullptr)) {
            error = lastError();
            break;
        }
        if (got == 0)
            break;
    }
    CloseHandle(handle);
    if (!error)
        *content = std::move(data);
    return error;
}

int WindowsFileSystem::checkWritable(const QString& path)
{
    // Opening for writing is the one test that sees the read-only flag, the access rights and a program
    // that holds the file locked alike.
    const HANDLE handle = CreateFileW(native(path).c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return lastError();
    CloseHandle(handle);
    return 0;
}

int WindowsFileSystem::makeFolders(const QString& path, QString* failed)
{
    // Up to the deepest folder that is there (a drive, or a share's folder, which cannot be made), then
    // down one level at a time, so that the folder that fails and its own reason are known.
    const auto attributesOf = [](const QString& folder) {
        return GetFileAttributesW(native(folder).c_str());
    };
    QStringList missing;
    QString folder = QDir::cleanPath(QDir(path).absolutePath());
    for (DWORD found = attributesOf(folder); found == INVALID_FILE_ATTRIBUTES; found = attributesOf(folder)) {
        missing.prepend(folder);
        const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
        if (slash <= 0)
            break;
        folder.truncate(slash);
    }
    int error = 0;
    if (missing.isEmpty() && !(attributesOf(folder) & FILE_ATTRIBUTE_DIRECTORY))
        error = ENOTDIR;
    for (const QString& level : std::as_const(missing)) {
        if (!CreateDirectoryW(native(level).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            error = errnoFor(GetLastError());
            folder = level;
            break;
        }
    }
    if (error && failed)
        *failed = folder;
    return error;
}

int WindowsFileSystem::createNew(const QString& path, quint32, int* fd)
{
    *fd = -1;
    // Shared for deleting: the temporary is renamed over its target only after it is closed, but a
    // virus scanner that looks at it meanwhile must not stop that.
    const HANDLE handle =
        CreateFileW(native(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return lastError();
    return adopt(handle, _O_WRONLY, fd);
}

int WindowsFileSystem::write(int fd, qint64 offset, const char* data, qint64 size, qint64* written)
{
    *written = 0;
    const HANDLE handle = handleOf(fd);
    if (handle == INVALID_HANDLE_VALUE)
        return EBADF;
    // The offset goes with each call, so threads writing different parts never share a file position.
    OVERLAPPED at = {};
    at.Offset = DWORD(quint64(offset) & 0xffffffffu);
    at.OffsetHigh = DWORD(quint64(offset) >> 32);
    DWORD done = 0;
    if (!WriteFile(handle, data, DWORD(std::min<qint64>(size, 1 << 30)), &done, &at))
        return lastError();
    *written = done;
    return 0;
}

int WindowsFileSystem::setMode(int, quint32)
{
    // A file that was read-only is refused before it is replaced; there are no other bits to keep.
    return 0;
}

int WindowsFileSystem::sync(int fd)
{
    const HANDLE handle = handleOf(fd);
    if (handle == INVALID_HANDLE_VALUE)
        return EBADF;
    return FlushFileBuffers(handle) ? 0 : lastError();
}

void WindowsFileSystem::startSync(int)
{
    // Windows has no call that starts writing back without waiting for it.
}

int WindowsFileSystem::close(int fd)
{
    // The descriptor is gone even when closing reports an error; it must not be closed again.
    return ::_close(fd) == 0 ? 0 : (errno ? errno : EIO);
}

int WindowsFileSystem::rename(const QString& from, const QString& to)
{
    const std::wstring source = native(from);
    const std::wstring target = native(to);
    // ReplaceFileW keeps what the user set on the file (its security, its attributes) and swaps the
    // content in one step; it needs an existing target, and the first save has none.
    if (ReplaceFileW(target.c_str(), source.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                     nullptr))
        return 0;
    const DWORD replaceError = GetLastError();
    if (replaceError != ERROR_FILE_NOT_FOUND)
        return errnoFor(replaceError);
    return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : lastError();
}

int WindowsFileSystem::remove(const QString& path)
{
    return DeleteFileW(native(path).c_str()) ? 0 : lastError();
}

int WindowsFileSystem::syncFolder(const QString&)
{
    // A folder cannot be flushed on Windows; the rename was written through already.
    return 0;
}

int WindowsFileSystem::listFolder(const QString& path, QStringList* names)
{
    const std::wstring pattern = native(path) + L"\\*";
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                         nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE)
        return lastError();
    names->clear();
    do
        names->append(QString::fromWCharArray(entry.cFileName));
    while (FindNextFileW(find, &entry));
    const DWORD error = GetLastError();
    FindClose(find);
    return error == ERROR_NO_MORE_FILES ? 0 : errnoFor(error);
}

bool WindowsFileSystem::openRegular(const QString& path, QFile& file, QString* reason)
{
    if (path.isEmpty())
        return refuse(reason, QStringLiteral("no file is named"));
    const std::wstring name = native(path);
    // A folder cannot be opened for reading at all: told as what it is, not as "access denied".
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return refuse(reason, errorText(lastError()));
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return refuse(reason, refusal(FileKind::Folder));
    // Opening a pipe or a device name (NUL, COM1) does not wait; what was opened is looked at before
    // anything is read from it.
    const HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return refuse(reason, errorText(lastError()));
    if (const FileKind kind = fileKind(attributes, GetFileType(handle)); kind != FileKind::Regular) {
        CloseHandle(handle);
        return refuse(reason, refusal(kind));
    }
    int fd = -1;
    if (const int error = adopt(handle, _O_RDONLY, &fd))
        return refuse(reason, errorText(error));
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::_close(fd);
        return refuse(reason, file.errorString());
    }
    return true;
}

QString WindowsFileSystem::errorText(int error) const
{
    // qt_error_string() takes Windows error codes here, not errno values.
    return QString::fromLocal8Bit(std::strerror(error));
}
