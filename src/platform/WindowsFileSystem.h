// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FileSystem.h"

/**
 * FileSystem on the wide-character Win32 calls. Descriptors are C runtime ones wrapping Win32 handles,
 * and errors are given as errno values, so the code above reads the same on every system. Where Windows
 * has nothing to match (permission bits, links, flushing a folder) the call does nothing and succeeds.
 */
class WindowsFileSystem : public FileSystem
{
public:
    /** The one shared instance; it holds no state. */
    static WindowsFileSystem& instance();

    int stat(const QString& path, FileStamp* stamp) override;
    int readLink(const QString& path, QString* target) override;
    int readFile(const QString& path, QByteArray* content) override;
    int checkWritable(const QString& path) override;
    int makeFolders(const QString& path, QString* failed = nullptr) override;
    int createNew(const QString& path, quint32 mode, int* fd) override;
    int write(int fd, qint64 offset, const char* data, qint64 size, qint64* written) override;
    int setMode(int fd, quint32 mode) override;
    int sync(int fd) override;
    void startSync(int fd) override;
    int close(int fd) override;
    int rename(const QString& from, const QString& to) override;
    int remove(const QString& path) override;
    int syncFolder(const QString& path) override;
    int listFolder(const QString& path, QStringList* names) override;
    bool openRegular(const QString& path, QFile& file, QString* reason) override;
    QString errorText(int error) const override;
};
