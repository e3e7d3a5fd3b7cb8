// SPDX-License-Identifier: GPL-3.0-or-later
#include "AtomicFileWriter.h"

#include "FileSystem.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>

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
        abandon();
}

Failure AtomicFileWriter::failed(const QString& path, const QString& step, const Failure& failure,
                                 const QString& after)
{
    return {failure.kind,
            QStringLiteral("Could not save %1: %2 failed: %3.").arg(path, step, failure.reason) + after,
            failure.path};
}

Result<QString> AtomicFileWriter::resolve(const QString& path)
{
    QString current = QFileInfo(path).absoluteFilePath();
    for (int i = 0; i < MaxLinks; ++i) {
        const Result<std::optional<QString>> link = m_fs.readLink(current);
        if (!link && link.failure().kind == FailureKind::NotFound)
            return current;
        if (!link)
            return failed(path, QStringLiteral("following the link %1").arg(current), link.failure());
        if (!link->has_value())
            return current;
        QString target = **link;
        if (QFileInfo(target).isRelative())
            target = QFileInfo(current).absolutePath() + QLatin1Char('/') + target;
        current = QFileInfo(target).absoluteFilePath();
    }
    return failed(path, QStringLiteral("following its links"),
                  Failure::because(QStringLiteral("Too many levels of symbolic links")));
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

Result<int> AtomicFileWriter::createTemporary(const QString& target, quint32 mode)
{
    const QFileInfo info(target);
    Result<int> fd = Failure{FailureKind::Exists, {}, {}};
    for (int attempt = 0; attempt < NameAttempts && !fd && fd.failure().kind == FailureKind::Exists;
         ++attempt) {
        m_temporary = info.absolutePath() + QStringLiteral("/.") + info.fileName() + QLatin1Char('.') +
                      randomSuffix() + QStringLiteral(".tmp");
        fd = m_fs.createNew(m_temporary, mode);
    }
    return fd;
}

bool AtomicFileWriter::writeAt(qint64 offset, const char* data, qint64 size)
{
    while (size > 0 && !m_writeFailed) {
        Result<qint64> written = m_fs.write(m_fd, offset, data, size);
        if (written && (*written <= 0 || *written > size))
            written = Failure::because(QStringLiteral("Input/output error"));
        if (!written) {
            const std::lock_guard lock(m_writeFailureLock);
            if (!m_writeFailure)
                m_writeFailure = written.failure();
            m_writeFailed = true;
            break;
        }
        data += *written;
        offset += *written;
        size -= *written;
        // A large file goes to disk while the rest is still being made, not all in commit().
        if (m_unsynced.fetch_add(*written) + *written >= SyncStartBytes) {
            m_unsynced = 0;
            m_fs.startSync(m_fd);
        }
    }
    return !m_writeFailed;
}

Result<> AtomicFileWriter::replace(const QString& target, const QByteArray& content)
{
    if (Result<> begun = begin(target); !begun)
        return begun;
    writeAt(0, content.constData(), content.size()); // a failure is told by the commit
    return commit();
}

Result<> AtomicFileWriter::begin(const QString& target)
{
    if (m_fd >= 0)
        abandon();
    m_writeFailed = false;
    m_writeFailure.reset();
    const QString folder = QFileInfo(target).absolutePath();
    const Result<FileStamp> found = m_fs.stat(target);
    const FileStamp old = found ? *found : FileStamp{};
    if (found && old.kind != FileKind::Regular)
        return failed(target, QStringLiteral("replacing it"),
                      Failure::because(FileSystem::refusal(old.kind, "a plain file")));
    if (found) {
        if (const Result<> writable = m_fs.checkWritable(target); !writable)
            return failed(target, QStringLiteral("opening it for writing"), writable.failure());
    } else if (found.failure().kind == FailureKind::NotFound ||
               found.failure().kind == FailureKind::NotFolder) {
        // A missing folder is made; a file where a folder should be is named as what is in the way.
        if (const Result<> made = m_fs.makeFolders(folder); !made)
            return failed(target, QStringLiteral("creating the folder %1").arg(made.failure().path),
                          made.failure());
    } else {
        return failed(target, QStringLiteral("looking at it"), found.failure());
    }

    const quint32 mode = old.exists ? old.permissions : 0666;
    const Result<int> fd = createTemporary(target, mode);
    if (!fd)
        return failed(target, QStringLiteral("creating a temporary file in %1").arg(folder), fd.failure());
    m_fd = *fd;
    m_target = target;
    if (old.exists) {
        if (const Result<> kept = m_fs.setMode(m_fd, mode); !kept)
            return abandon(QStringLiteral("keeping the file's permissions"), kept.failure());
    }
    return {};
}

Result<> AtomicFileWriter::commit()
{
    if (m_writeFailed)
        return abandon(QStringLiteral("writing %1").arg(m_temporary), *m_writeFailure);
    if (const Result<> synced = m_fs.sync(m_fd); !synced)
        return abandon(QStringLiteral("flushing %1 to disk").arg(m_temporary), synced.failure());
    const Result<> closed = m_fs.close(m_fd);
    m_fd = -1;
    if (!closed)
        return abandon(QStringLiteral("closing %1").arg(m_temporary), closed.failure());
    if (const Result<> renamed = m_fs.rename(m_temporary, m_target); !renamed)
        return abandon(QStringLiteral("renaming %1 over it").arg(m_temporary), renamed.failure());
    const QString folder = QFileInfo(m_target).absolutePath();
    if (const Result<> durable = m_fs.syncFolder(folder); !durable)
        return failed(
            m_target, QStringLiteral("flushing the folder %1 to disk").arg(folder), durable.failure(),
            QStringLiteral(" The file holds the new content, but it may be lost if the system stops now."));
    return {};
}

void AtomicFileWriter::abandon()
{
    if (m_fd >= 0)
        (void)m_fs.close(m_fd); // the temporary goes anyway
    m_fd = -1;
    (void)m_fs.remove(m_temporary); // a left-over is removed at the next start
}

Failure AtomicFileWriter::abandon(const QString& step, const Failure& failure)
{
    abandon();
    return failed(m_target, step, failure, QStringLiteral(" The file was left as it was."));
}

int AtomicFileWriter::removeStaleTemporaries(FileSystem& fs, const QString& path)
{
    AtomicFileWriter writer(fs);
    const Result<QString> target = writer.resolve(path);
    if (!target)
        return 0;
    const QFileInfo info(*target);
    const Result<QStringList> names = fs.listFolder(info.absolutePath());
    if (!names)
        return 0;
    int removed = 0;
    for (const QString& name : *names) {
        if (isTemporaryFor(name, info.fileName()) && fs.remove(info.absolutePath() + QLatin1Char('/') + name))
            ++removed;
    }
    return removed;
}
