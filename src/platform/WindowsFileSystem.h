// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FileSystem.h"

/**
 * FileSystem on the wide-character Win32 calls. Descriptors are C runtime ones wrapping Win32 handles,
 * and each Win32 error is told by its kind and words, as on every system. Where Windows
 * has nothing to match (permission bits, links, flushing a folder) the call does nothing and succeeds.
 */
class WindowsFileSystem : public FileSystem
{
public:
    /** The one shared instance; it holds no state. */
    static WindowsFileSystem& instance();

    Result<FileStamp> stat(const QString& path) override;
    Result<std::optional<QString>> readLink(const QString& path) override;
    Result<QByteArray> readFile(const QString& path) override;
    Result<> checkWritable(const QString& path) override;
    Result<> makeFolders(const QString& path) override;
    Result<int> createNew(const QString& path, quint32 mode) override;
    Result<qint64> write(int fd, qint64 offset, const char* data, qint64 size) override;
    Result<> setMode(int fd, quint32 mode) override;
    Result<> sync(int fd) override;
    void startSync(int fd) override;
    Result<> close(int fd) override;
    Result<> rename(const QString& from, const QString& to) override;
    Result<> remove(const QString& path) override;
    Result<> syncFolder(const QString& path) override;
    Result<QStringList> listFolder(const QString& path) override;
    Result<> openRegular(const QString& path, QFile& file) override;
};
