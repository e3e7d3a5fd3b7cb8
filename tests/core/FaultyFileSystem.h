// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/PosixFileSystem.h"

/** The real file system, except that one chosen step fails with a chosen error. */
class FaultyFileSystem : public PosixFileSystem
{
public:
    enum class Step {
        None,
        ReadFile,
        CheckWritable,
        MakeFolders,
        CreateNew,
        Write,
        SetMode,
        Sync,
        Close,
        Rename,
        SyncFolder
    };

    /** Makes step fail with error; for Write, only once bytesBeforeFailure bytes were written. */
    void failAt(Step step, int error, qint64 bytesBeforeFailure = 0);
    /** Lets each write() take at most this many bytes, as a slow or interrupted device does. */
    void limitWrites(qint64 bytesPerCall) { m_writeLimit = bytesPerCall; }

    int readFile(const QString& path, QByteArray* content) override;
    int checkWritable(const QString& path) override;
    int makeFolders(const QString& path) override;
    int createNew(const QString& path, mode_t mode, int* fd) override;
    int write(int fd, const char* data, qint64 size, qint64* written) override;
    int setMode(int fd, mode_t mode) override;
    int sync(int fd) override;
    int close(int fd) override;
    int rename(const QString& from, const QString& to) override;
    int syncFolder(const QString& path) override;

private:
    bool failing(Step step) const { return m_step == step; }

    Step m_step = Step::None;
    int m_error = 0;
    qint64 m_bytesBeforeFailure = 0;
    qint64 m_written = 0;
    qint64 m_writeLimit = 0;
};
