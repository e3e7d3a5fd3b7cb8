// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Result.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <mutex>
#include <optional>

class FileSystem;

/**
 * Replaces a file so that it is either the old file or the new one, whatever happens: the new
 * content goes to a temporary file in the same folder, is written, synced and closed with every
 * step checked, and only then renamed over the file. Symbolic links are followed and the file's
 * mode is kept. QSaveFile is not used: it has reported success after writing an empty file on a
 * full disk.
 */
class AtomicFileWriter
{
public:
    explicit AtomicFileWriter(FileSystem& fs);
    /** Abandons a replacement begun and not committed: the temporary goes, the file stays as it was. */
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    /** The file a write to path really replaces, after following symbolic links. */
    Result<QString> resolve(const QString& path);

    /**
     * Replaces the file at the resolved path target; on failure the old file is whole and no temporary is
     * left, and the failure says which file, which step and why.
     */
    Result<> replace(const QString& target, const QByteArray& content);

    /** The same in steps, for content made piece by piece: creates the temporary file. */
    Result<> begin(const QString& target);
    /**
     * Writes a piece of the new content at `offset`. Pieces may come in any order and from any thread,
     * never two at once at the same place; false once any piece failed, and commit() then tells why.
     */
    bool writeAt(qint64 offset, const char* data, qint64 size);
    /** Flushes the new content to disk and renames it over the target. */
    Result<> commit();

    /** Whether name is a temporary file this class makes for the file named fileName. */
    static bool isTemporaryFor(const QString& name, const QString& fileName);
    /** Removes the temporaries a killed process left beside path; returns how many were removed. */
    static int removeStaleTemporaries(FileSystem& fs, const QString& path);

private:
    /** "Could not save path: step failed: reason." and what the user may make of it (`after`). */
    static Failure failed(const QString& path, const QString& step, const Failure& failure,
                          const QString& after = {});
    /** Ends a replacement begun: the temporary goes. */
    void abandon();
    /** Ends a replacement that failed at `step`: the temporary goes, and the failure says so. */
    Failure abandon(const QString& step, const Failure& failure);
    /** Creates the temporary beside target, named in m_temporary. */
    Result<int> createTemporary(const QString& target, quint32 mode);

    FileSystem& m_fs;
    QString m_target;
    QString m_temporary;
    int m_fd = -1;
    /** Whether a piece written failed, and the first such failure; pieces may come from other threads. */
    std::atomic<bool> m_writeFailed{false};
    std::mutex m_writeFailureLock;
    std::optional<Failure> m_writeFailure;
    /** Bytes written since the disk was last asked to start on them. */
    std::atomic<qint64> m_unsynced{0};
};
