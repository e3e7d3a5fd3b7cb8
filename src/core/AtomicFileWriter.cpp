// SPDX-License-Identifier: GPL-3.0-or-later
#include "AtomicFileWriter.h"

#include "FileSystem.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>

namespace {

constexpr int MaxLinks = 40;
constexpr int NameAttempts = 100;
constexpr int SuffixLength = 6;
constexpr qint64 SyncStartBytes = 1 << 20;
// The letters a temporary's name is made of, and by which a stale one is known.
constexpr QLatin1StringView SuffixAlphabet("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789");

QString randomSuffix()
{
    QString suffix;
    for (int i = 0; i < SuffixLength; ++i)
        suffix.append(SuffixAlphabet.at(QRandomGenerator::global()->bounded(int(SuffixAlphabet.size()))));
    return suffix;
}

} // namespace

AtomicFileWriter::AtomicFileWriter(FileSystem& fs) : m_fs(fs) {}

AtomicFileWriter::~AtomicFileWriter()
{
    if (m_fd >= 0)
        abandon({}, 0);
}

bool AtomicFileWriter::fail(const QString& path, const QString& step, int error)
{
    m_error = QStringLiteral("Could not save %1: %2 failed: %3.").arg(path, step, m_fs.errorText(error));
    return false;
}

QString AtomicFileWriter::resolve(const QString& path)
{
    QString current = QFileInfo(path).absoluteFilePath();
    for (int i = 0; i < MaxLinks; ++i) {
        QString target;
        const int error = m_fs.readLink(current, &target);
        if (error == EINVAL || error == ENOENT)
            return current;
        if (error) {
            fail(path, QStringLiteral("following the link %1").arg(current), error);
            return {};
        }
        if (QFileInfo(target).isRelative())
            target = QFileInfo(current).absolutePath() + QLatin1Char('/') + target;
        current = QFileInfo(target).absoluteFilePath();
    }
    fail(path, QStringLiteral("following its links"), ELOOP);
    return {};
}

bool AtomicFileWriter::isTemporaryFor(const QString& name, const QString& fileName)
{
    // Checked by hand: a regular expression would be compiled at every start for this one look.
    const QString prefix = QLatin1Char('.') + fileName + QLatin1Char('.');
    const QStringView suffix = QStringView(name).mid(prefix.size());
    return name.startsWith(prefix) && suffix.size() == SuffixLength + 4 && suffix.endsWith(u".tmp") &&
           std::all_of(suffix.begin(), suffix.begin() + SuffixLength,
                       [](QChar c) { return SuffixAlphabet.contains(c); });
}

int AtomicFileWriter::createTemporary(const QString& target, quint32 mode, QString* temporary, int* fd)
{
    const QFileInfo info(target);
    int error = EEXIST;
    for (int attempt = 0; attempt < NameAttempts && error == EEXIST; ++attempt) {
        *temporary = info.absolutePath() + QStringLiteral("/.") + info.fileName() + QLatin1Char('.') +
                     randomSuffix() + QStringLiteral(".tmp");
        error = m_fs.createNew(*temporary, mode, fd);
    }
    return error;
}

bool AtomicFileWriter::writeAt(qint64 offset, const char* data, qint64 size)
{
    while (size > 0 && m_writeError == 0) {
        qint64 written = 0;
        int error = m_fs.write(m_fd, offset, data, size, &written);
        if (!error && (written <= 0 || written > size))
            error = EIO;
        if (error) {
            int none = 0;
            m_writeError.compare_exchange_strong(none, error);
        }
        data += written;
        offset += written;
        size -= written;
        // A large file goes to disk while the rest is still being made, not all in commit().
        if (m_unsynced.fetch_add(written) + written >= SyncStartBytes) {
            m_unsynced = 0;
            m_fs.startSync(m_fd);
        }
    }
    return m_writeError == 0;
}

bool AtomicFileWriter::replace(const QString& target, const QByteArray& content)
{
    if (!begin(target))
        return false;
    writeAt(0, content.constData(), content.size()); // a failure is told by the commit
    return commit();
}

bool AtomicFileWriter::begin(const QString& target)
{
    if (m_fd >= 0)
        abandon({}, 0);
    m_error.clear();
    m_writeError = 0;
    const QString folder = QFileInfo(target).absolutePath();
    FileStamp old;
    int error = m_fs.stat(target, &old);
    if (error == 0 && old.kind != FileKind::Regular)
        return fail(target, QStringLiteral("replacing it"), EISDIR);
    if (error == 0 && (error = m_fs.checkWritable(target)))
        return fail(target, QStringLiteral("opening it for writing"), error);
    // A missing folder is made; a file where a folder should be is named as what is in the way.
    QString failedFolder;
    if ((error == ENOENT || error == ENOTDIR) && (error = m_fs.makeFolders(folder, &failedFolder)))
        return fail(target, QStringLiteral("creating the folder %1").arg(failedFolder), error);
    if (error)
        return fail(target, QStringLiteral("looking at it"), error);

    const quint32 mode = old.exists ? old.permissions : 0666;
    if ((error = createTemporary(target, mode, &m_temporary, &m_fd)))
        return fail(target, QStringLiteral("creating a temporary file in %1").arg(folder), error);
    m_target = target;
    if (old.exists && (error = m_fs.setMode(m_fd, mode)))
        return abandon(QStringLiteral("keeping the file's permissions"), error);
    return true;
}

bool AtomicFileWriter::commit()
{
    int error = m_writeError;
    if (error)
        return abandon(QStringLiteral("writing %1").arg(m_temporary), error);
    if ((error = m_fs.sync(m_fd)))
        return abandon(QStringLiteral("flushing %1 to disk").arg(m_temporary), error);
    error = m_fs.close(m_fd);
    m_fd = -1;
    if (error)
        return abandon(QStringLiteral("closing %1").arg(m_temporary), error);
    if ((error = m_fs.rename(m_temporary, m_target)))
        return abandon(QStringLiteral("renaming %1 over it").arg(m_temporary), error);
    const QString folder = QFileInfo(m_target).absolutePath();
    if ((error = m_fs.syncFolder(folder))) {
        fail(m_target, QStringLiteral("flushing the folder %1 to disk").arg(folder), error);
        m_error +=
            QStringLiteral(" The file holds the new content, but it may be lost if the system stops now.");
        return false;
    }
    return true;
}

bool AtomicFileWriter::abandon(const QString& step, int error)
{
    if (m_fd >= 0)
        m_fs.close(m_fd);
    m_fd = -1;
    m_fs.remove(m_temporary);
    if (!error)
        return false;
    fail(m_target, step, error);
    m_error += QStringLiteral(" The file was left as it was.");
    return false;
}

int AtomicFileWriter::removeStaleTemporaries(FileSystem& fs, const QString& path)
{
    AtomicFileWriter writer(fs);
    const QString target = writer.resolve(path);
    if (target.isEmpty())
        return 0;
    const QFileInfo info(target);
    QStringList names;
    if (fs.listFolder(info.absolutePath(), &names))
        return 0;
    int removed = 0;
    for (const QString& name : std::as_const(names)) {
        if (isTemporaryFor(name, info.fileName()) &&
            fs.remove(info.absolutePath() + QLatin1Char('/') + name) == 0)
            ++removed;
    }
    return removed;
}
