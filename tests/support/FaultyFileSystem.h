// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NativeFileSystem.h"

#include <QStringList>

#include <algorithm>
#include <cerrno>

/** The real file system, except that one chosen step fails with a chosen error and chosen names cannot be
 * read. */
class FaultyFileSystem : public NativeFileSystem
{
    using P = NativeFileSystem;

public:
    enum class Step {
        None,
        ReadFile,
        CheckWritable,
        CreateNew,
        Write, // the steps of a save, in order
        SetMode,
        Sync,
        Close,
        Rename,
        SyncFolder
    };

    /** How many renames were asked for: one per save. */
    int renames = 0;

    /** Makes step fail with error; for Write, only once bytesBeforeFailure bytes were written. */
    void failAt(Step step, int error, qint64 bytesBeforeFailure = 0)
    {
        m_step = step;
        m_error = error;
        m_room = bytesBeforeFailure;
    }

    int readFile(const QString& f, QByteArray* c) override
    {
        return at(Step::ReadFile) ? m_error : P::readFile(f, c);
    }
    int checkWritable(const QString& p) override
    {
        return at(Step::CheckWritable) ? m_error : P::checkWritable(p);
    }
    int createNew(const QString& p, quint32 m, int* fd) override
    {
        return at(Step::CreateNew) ? m_error : P::createNew(p, m, fd);
    }
    int setMode(int fd, quint32 m) override { return at(Step::SetMode) ? m_error : P::setMode(fd, m); }
    int sync(int fd) override { return at(Step::Sync) ? m_error : P::sync(fd); }
    int rename(const QString& f, const QString& t) override
    {
        ++renames;
        return at(Step::Rename) ? m_error : P::rename(f, t);
    }
    int syncFolder(const QString& p) override { return at(Step::SyncFolder) ? m_error : P::syncFolder(p); }
    int close(int fd) override
    {
        const int error = NativeFileSystem::close(fd); // closed even when the close reports a failure
        return at(Step::Close) ? m_error : error;
    }
    int write(int fd, qint64 offset, const char* data, qint64 size, qint64* written) override
    {
        if (at(Step::Write) && (size = std::min(size, m_room)) <= 0) {
            *written = 0;
            return m_error;
        }
        const int error = NativeFileSystem::write(fd, offset, data, size, written);
        m_room -= *written;
        return error;
    }

    /** Listing these folders and opening these files fails, as for a user who may not read them. */
    QStringList denied;
    int listFolder(const QString& p, QStringList* names) override
    {
        return denied.contains(p) ? EACCES : P::listFolder(p, names);
    }
    bool openRegular(const QString& p, QFile& file, QString* reason) override
    {
        if (!denied.contains(p))
            return P::openRegular(p, file, reason);
        *reason = errorText(EACCES);
        return false;
    }

private:
    bool at(Step step) const { return m_step == step; }

    Step m_step = Step::None;
    int m_error = 0;
    qint64 m_room = 0;
};
