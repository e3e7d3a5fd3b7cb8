// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AtomicFileWriter.h"
#include "FileSystem.h"
#include "IniDocument.h"
#include "IniEdit.h"

#include <QByteArrayList>
#include <QList>
#include <QString>

#include <optional>

/**
 * The program's settings file, read and written with the rules of the Windows profile functions:
 * missing file, section or key read as empty text; a write replaces one line and leaves every other
 * byte alone. Every save is atomic, and the file is read again when another program changed it.
 *
 * The text held in memory is always the file as last read or written: when a save fails, it is
 * dropped and the file is read again at the next call, so read() gives what the disk holds.
 */
class SettingsFile
{
public:
    /** A settings file whose low-level operations go through fs, which must outlive it. */
    SettingsFile(QString path, FileSystem& fs);
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    QString path() const;

    /** The value of section/key, whole; empty text when missing. */
    QString read(const QString& section, const QString& key);
    /**
     * The values of keys "0" to "count - 1" of one section, a list as stored, in UTF-8; empty for
     * those missing.
     */
    QByteArrayList readList(const QString& section, int count);
    /** Writes one value. On failure the file stays as it was and the failure names it and says why. */
    Result<> write(const QString& section, const QString& key, const QString& value);
    /** Applies the edits in order as if written one at a time, and replaces the file once. */
    Result<> apply(const QList<IniEdit>& edits);
    /**
     * Whether the file can serve as the settings file, a missing file included; the failure names it and
     * says why not (it is a folder, a pipe or a device, or cannot be read).
     */
    Result<> usable();

    /** Removes temporary files that a save killed half-way left beside the file; returns how many. */
    int removeStaleTemporaries();

private:
    void refresh();
    /** Whether the file can hold what the edit writes; the failure names the section and key. */
    Result<> checkEdit(const IniEdit& edit) const;
    Result<> save();

    QString m_path;
    FileSystem& m_fs;
    AtomicFileWriter m_writer;
    IniDocument m_doc;
    FileStamp m_stamp;
    bool m_loaded = false;
    /** Why the file could not be read; none when it could (or is missing, which reads as empty). */
    std::optional<Failure> m_readFailure;
    bool m_converted = false;
};
