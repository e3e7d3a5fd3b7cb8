// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NativeFileSystem.h"

#include <QStringList>

#include <algorithm>

/** The real file system, except that one chosen step fails with a chosen failure and chosen names cannot be
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

    /** Makes step fail with `reason` (of kind Other); for Write, only once bytesBeforeFailure bytes were
     * written. */
    void failAt(Step step, const QString& reason = {}, qint64 bytesBeforeFailure = 0)
    {
        m_step = step;
        m_failure = Failure::because(reason);
        m_room = bytesBeforeFailure;
    }

    Result<QByteArray> readFile(const QString& f) override
    {
        return at(Step::ReadFile) ? m_failure : P::readFile(f);
    }
    Result<> checkWritable(const QString& p) override
    {
        return at(Step::CheckWritable) ? m_failure : P::checkWritable(p);
    }
    Result<int> createNew(const QString& p, quint32 m) override
    {
        return at(Step::CreateNew) ? m_failure : P::createNew(p, m);
    }
    Result<> setMode(int fd, quint32 m) override { return at(Step::SetMode) ? m_failure : P::setMode(fd, m); }
    Result<> sync(int fd) override { return at(Step::Sync) ? m_failure : P::sync(fd); }
    Result<> rename(const QString& f, const QString& t) override
    {
        ++renames;
        return at(Step::Rename) ? m_failure : P::rename(f, t);
    }
    Result<> syncFolder(const QString& p) override
    {
        return at(Step::SyncFolder) ? m_failure : P::syncFolder(p);
    }
    Result<> close(int fd) override
    {
        Result<> closed = P::close(fd); // closed even when the close reports a failure
        return at(Step::Close) ? m_failure : closed;
    }
    Result<qint64> write(int fd, qint64 offset, const char* data, qint64 size) override
    {
        if (at(Step::Write) && (size = std::min(size, m_room)) <= 0)
            return m_failure;
        Result<qint64> written = P::write(fd, offset, data, size);
        if (written)
            m_room -= *written;
        return written;
    }

    /** Listing these folders and opening these files fails, as for a user who may not read them. */
    QStringList denied;
    Result<QStringList> listFolder(const QString& p) override
    {
        return denied.contains(p) ? deniedFailure() : P::listFolder(p);
    }
    Result<> openRegular(const QString& p, QFile& file) override
    {
        return denied.contains(p) ? deniedFailure() : P::openRegular(p, file);
    }

private:
    bool at(Step step) const { return m_step == step; }
    static Failure deniedFailure() { return {FailureKind::Denied, QStringLiteral("Permission denied"), {}}; }

    Step m_step = Step::None;
    Failure m_failure;
    qint64 m_room = 0;
};
