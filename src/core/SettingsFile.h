// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AtomicFileWriter.h"
#include "FileSystem.h"
#include "IniDocument.h"
#include "IniEdit.h"

#include <QByteArrayList>
#include <QList>
#include <QString>

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
    /** Writes one value. On failure the file stays as it was and errorString() says why. */
    [[nodiscard]] bool write(const QString& section, const QString& key, const QString& value);
    /** Applies the edits in order as if written one at a time, and replaces the file once. */
    [[nodiscard]] bool apply(const QList<IniEdit>& edits);
    /** Why the last failed write failed. */
    QString errorString() const;
    /**
     * Why the file cannot serve as the settings file (it is a folder, a pipe or a device, or cannot be
     * read), naming it; empty when it can, a missing file included.
     */
    QString unusable();

    /** Removes temporary files that a save killed half-way left beside the file; returns how many. */
    int removeStaleTemporaries();

private:
    void refresh();
    QString editProblem(const IniEdit& edit) const;
    bool save();

    QString m_path;
    FileSystem& m_fs;
    AtomicFileWriter m_writer;
    QString m_error;
    IniDocument m_doc;
    FileStamp m_stamp;
    bool m_loaded = false;
    /** Why the file could not be read, empty when it could (or is missing, which reads as empty). */
    QString m_readProblem;
    bool m_converted = false;
};
