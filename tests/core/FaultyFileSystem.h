// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/PosixFileSystem.h"

#include <algorithm>

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
    void failAt(Step step, int error, qint64 bytesBeforeFailure = 0)
    {
        m_step = step;
        m_error = error;
        m_bytesBeforeFailure = bytesBeforeFailure;
        m_written = 0;
    }
    /** Lets each write() take at most this many bytes, as a slow or interrupted device does. */
    void limitWrites(qint64 bytesPerCall) { m_writeLimit = bytesPerCall; }

    int readFile(const QString& path, QByteArray* content) override
    {
        return fail(Step::ReadFile, [&] { return PosixFileSystem::readFile(path, content); });
    }
    int checkWritable(const QString& path) override
    {
        return fail(Step::CheckWritable, [&] { return PosixFileSystem::checkWritable(path); });
    }
    int makeFolders(const QString& path) override
    {
        return fail(Step::MakeFolders, [&] { return PosixFileSystem::makeFolders(path); });
    }
    int createNew(const QString& path, mode_t mode, int* fd) override
    {
        return fail(Step::CreateNew, [&] { return PosixFileSystem::createNew(path, mode, fd); });
    }
    int write(int fd, const char* data, qint64 size, qint64* written) override
    {
        if (m_writeLimit > 0)
            size = std::min(size, m_writeLimit);
        if (m_step == Step::Write) {
            const qint64 room = m_bytesBeforeFailure - m_written;
            if (room <= 0) {
                *written = 0;
                return m_error;
            }
            size = std::min(size, room);
        }
        const int error = PosixFileSystem::write(fd, data, size, written);
        m_written += *written;
        return error;
    }
    int setMode(int fd, mode_t mode) override
    {
        return fail(Step::SetMode, [&] { return PosixFileSystem::setMode(fd, mode); });
    }
    int sync(int fd) override
    {
        return fail(Step::Sync, [&] { return PosixFileSystem::sync(fd); });
    }
    int close(int fd) override
    {
        // The descriptor is closed even when the close reports a failure.
        const int error = PosixFileSystem::close(fd);
        return m_step == Step::Close ? m_error : error;
    }
    int rename(const QString& from, const QString& to) override
    {
        return fail(Step::Rename, [&] { return PosixFileSystem::rename(from, to); });
    }
    int syncFolder(const QString& path) override
    {
        return fail(Step::SyncFolder, [&] { return PosixFileSystem::syncFolder(path); });
    }

private:
    template<typename Real> int fail(Step step, Real real) { return m_step == step ? m_error : real(); }

    Step m_step = Step::None;
    int m_error = 0;
    qint64 m_bytesBeforeFailure = 0;
    qint64 m_written = 0;
    qint64 m_writeLimit = 0;
};
