// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

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
    /** Replaces the file at the resolved path target; on failure the old file is whole and no temporary is
     * left. */
    bool replace(const QString& target, const QByteArray& content);
    /** Why the last call failed, in words, with the path. */
    QString errorString() const { return m_error; }

    /** Whether name is a temporary file this class makes for the file named fileName. */
    static bool isTemporaryFor(const QString& name, const QString& fileName);
    /** Removes the temporaries a killed process left beside path; returns how many were removed. */
    static int removeStaleTemporaries(FileSystem& fs, const QString& path);

private:
    bool fail(const QString& path, const QString& step, int error);
    int createTemporary(const QString& target, mode_t mode, QString* temporary, int* fd);
    bool writeAll(int fd, const QByteArray& content, int* error);

    FileSystem& m_fs;
    QString m_error;
};
