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

/** The errno value whose words tell a Win32 error. */
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

/** The kind of failure a Win32 error stands for. */
FailureKind kindFor(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return FailureKind::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_CURRENT_DIRECTORY:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
        return FailureKind::Denied;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return FailureKind::Exists;
    case ERROR_DIRECTORY:
        return FailureKind::NotFolder;
    default:
        return FailureKind::Other;
    }
}

/** A Win32 error told in the same short words as on other systems ("Permission denied"). */
Failure failureOf(DWORD error)
{
    const int number = error == ERROR_SUCCESS ? EIO : errnoFor(error);
    return {kindFor(error), QString::fromLocal8Bit(std::strerror(number)), {}};
}

Failure lastFailure()
{
    return failureOf(GetLastError());
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

HANDLE handleOf(int fd)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

/** Hands a Win32 handle to the C runtime; the descriptor owns it from then on. */
Result<int> adopt(HANDLE handle, int flags)
{
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
    if (fd >= 0)
        return fd;
    CloseHandle(handle);
    return failureOf(ERROR_TOO_MANY_OPEN_FILES);
}

} // namespace

WindowsFileSystem& WindowsFileSystem::instance()
{
    static WindowsFileSystem fs;
    return fs;
}

Result<FileStamp> WindowsFileSystem::stat(const QString& path)
{
    const HANDLE handle = openForLook(native(path));
    if (handle == INVALID_HANDLE_VALUE)
        return lastFailure();
    BY_HANDLE_FILE_INFORMATION info = {};
    FILE_BASIC_INFO times = {};
    const bool known = GetFileInformationByHandle(handle, &info) &&
                       GetFileInformationByHandleEx(handle, FileBasicInfo, &times, sizeof times);
    const DWORD error = known ? ERROR_SUCCESS : GetLastError();
    const DWORD type = GetFileType(handle);
    CloseHandle(handle);
    if (!known)
        return failureOf(error);
    const bool readOnly = info.dwFileAttributes & FILE_ATTRIBUTE_READONLY;
    return FileStamp{true,
                     fileKind(info.dwFileAttributes, type),
                     quint64(info.dwVolumeSerialNumber),
                     (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
                     (qint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
                     nanoseconds(times.LastWriteTime),
                     nanoseconds(times.ChangeTime),
                     readOnly ? 0444u : 0666u};
}

Result<std::optional<QString>> WindowsFileSystem::readLink(const QString&)
{
    // Links are rare on Windows and CreateFileW follows them anyway: every name is taken as it is.
    return std::optional<QString>();
}

Result<QByteArray> WindowsFileSystem::readFile(const QString& path)
{
    const HANDLE handle = CreateFileW(native(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return lastFailure();
    QByteArray data;
    if (LARGE_INTEGER size; GetFileSizeEx(handle, &size) && size.QuadPart > 0)
        data.reserve(qsizetype(size.QuadPart));
    char buffer[65536];
    DWORD error = ERROR_SUCCESS;
    for (DWORD got = 0;; data.append(buffer, got)) {
        if (!ReadFile(handle, buffer, sizeof buffer, &got, nullptr)) {
            error = GetLastError();
            break;
        }
        if (got == 0)
            break;
    }
    CloseHandle(handle);
    if (error != ERROR_SUCCESS)
        return failureOf(error);
    return data;
}

Result<> WindowsFileSystem::checkWritable(const QString& path)
{
    // Opening for writing is the one test that sees the read-only flag, the access rights and a program
    // that holds the file locked alike.
    const HANDLE handle = CreateFileW(native(path).c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return lastFailure();
    CloseHandle(handle);
    return {};
}

Result<> WindowsFileSystem::makeFolders(const QString& path)
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
    std::optional<Failure> failure;
    if (missing.isEmpty() && !(attributesOf(folder) & FILE_ATTRIBUTE_DIRECTORY))
        failure = failureOf(ERROR_DIRECTORY);
    for (const QString& level : std::as_const(missing)) {
        if (!CreateDirectoryW(native(level).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            failure = lastFailure();
            folder = level;
            break;
        }
    }
    if (!failure)
        return {};
    failure->path = folder;
    return *failure;
}

Result<int> WindowsFileSystem::createNew(const QString& path, quint32)
{
    // Shared for deleting: the temporary is renamed over its target only after it is closed, but a
    // virus scanner that looks at it meanwhile must not stop that.
    const HANDLE handle =
        CreateFileW(native(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return lastFailure();
    return adopt(handle, _O_WRONLY);
}

Result<qint64> WindowsFileSystem::write(int fd, qint64 offset, const char* data, qint64 size)
{
    const HANDLE handle = handleOf(fd);
    if (handle == INVALID_HANDLE_VALUE)
        return failureOf(ERROR_INVALID_HANDLE);
    // The offset goes with each call, so threads writing different parts never share a file position.
    OVERLAPPED at = {};
    at.Offset = DWORD(quint64(offset) & 0xffffffffu);
    at.OffsetHigh = DWORD(quint64(offset) >> 32);
    DWORD done = 0;
    if (!WriteFile(handle, data, DWORD(std::min<qint64>(size, 1 << 30)), &done, &at))
        return lastFailure();
    return qint64(done);
}

Result<> WindowsFileSystem::setMode(int, quint32)
{
    // A file that was read-only is refused before it is replaced; there are no other bits to keep.
    return {};
}

Result<> WindowsFileSystem::sync(int fd)
{
    const HANDLE handle = handleOf(fd);
    if (handle == INVALID_HANDLE_VALUE)
        return failureOf(ERROR_INVALID_HANDLE);
    if (!FlushFileBuffers(handle))
        return lastFailure();
    return {};
}

void WindowsFileSystem::startSync(int)
{
    // Windows has no call that starts writing back without waiting for it.
}

Result<> WindowsFileSystem::close(int fd)
{
    // The descriptor is gone even when closing reports an error; it must not be closed again.
    if (::_close(fd) != 0)
        return Failure{FailureKind::Other, QString::fromLocal8Bit(std::strerror(errno ? errno : EIO)), {}};
    return {};
}

Result<> WindowsFileSystem::rename(const QString& from, const QString& to)
{
    const std::wstring source = native(from);
    const std::wstring target = native(to);
    // ReplaceFileW keeps what the user set on the file (its security, its attributes) and swaps the
    // content in one step; it needs an existing target, and the first save has none.
    if (ReplaceFileW(target.c_str(), source.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                     nullptr))
        return {};
    const DWORD replaceError = GetLastError();
    if (replaceError != ERROR_FILE_NOT_FOUND)
        return failureOf(replaceError);
    if (!MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return lastFailure();
    return {};
}

Result<> WindowsFileSystem::remove(const QString& path)
{
    if (!DeleteFileW(native(path).c_str()))
        return lastFailure();
    return {};
}

Result<> WindowsFileSystem::syncFolder(const QString&)
{
    // A folder cannot be flushed on Windows; the rename was written through already.
    return {};
}

Result<QStringList> WindowsFileSystem::listFolder(const QString& path)
{
    const std::wstring pattern = native(path) + L"\\*";
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                         nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE)
        return lastFailure();
    QStringList names;
    do
        names.append(QString::fromWCharArray(entry.cFileName));
    while (FindNextFileW(find, &entry));
    const DWORD error = GetLastError();
    FindClose(find);
    if (error != ERROR_NO_MORE_FILES)
        return failureOf(error);
    return names;
}

Result<> WindowsFileSystem::openRegular(const QString& path, QFile& file)
{
    if (path.isEmpty())
        return Failure{FailureKind::NotFound, QStringLiteral("no file is named"), {}};
    const std::wstring name = native(path);
    // A folder cannot be opened for reading at all: told as what it is, not as "access denied".
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return lastFailure();
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return Failure::because(refusal(FileKind::Folder));
    // Opening a pipe or a device name (NUL, COM1) does not wait; what was opened is looked at before
    // anything is read from it.
    const HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return lastFailure();
    if (const FileKind kind = fileKind(attributes, GetFileType(handle)); kind != FileKind::Regular) {
        CloseHandle(handle);
        return Failure::because(refusal(kind));
    }
    const Result<int> fd = adopt(handle, _O_RDONLY);
    if (!fd)
        return fd.failure();
    if (!file.open(*fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::_close(*fd);
        return Failure::because(file.errorString());
    }
    return {};
}
