// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

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

    /** The file a write to path really replaces, after following symbolic links; empty on error. */
    QString resolve(const QString& path);
    /** Writes one piece of the new content; false stops the write. */
    using Sink = std::function<bool(const char* data, qint64 size)>;
    /** Hands the new content to the sink piece by piece; returns false when the sink refused a piece. */
    using Content = std::function<bool(const Sink& write)>;

    /** Replaces the file at the resolved path target; on failure the old file is whole and no temporary is
     * left. */
    bool replace(const QString& target, const QByteArray& content);
    /** The same, for content too large to hold in memory at once. */
    bool replace(const QString& target, const Content& content);
    /** Why the last call failed, in words, with the path. */
    QString errorString() const { return m_error; }

    /** Whether name is a temporary file this class makes for the file named fileName. */
    static bool isTemporaryFor(const QString& name, const QString& fileName);
    /** Removes the temporaries a killed process left beside path; returns how many were removed. */
    static int removeStaleTemporaries(FileSystem& fs, const QString& path);

private:
    bool fail(const QString& path, const QString& step, int error);
    int createTemporary(const QString& target, quint32 mode, QString* temporary, int* fd);
    bool writeAll(int fd, const char* data, qint64 left, int* error);

    FileSystem& m_fs;
    QString m_error;
};
