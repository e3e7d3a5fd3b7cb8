// SPDX-License-Identifier: GPL-3.0-or-later
#include "AtomicFileWriter.h"

#include "FileSystem.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>

namespace {

constexpr int MaxLinks = 40;
constexpr int NameAttempts = 100;
constexpr int SuffixLength = 6;

QString randomSuffix()
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < SuffixLength; ++i)
        suffix.append(QLatin1Char(alphabet[QRandomGenerator::global()->bounded(int(sizeof alphabet) - 1)]));
    return suffix;
}

} // namespace

AtomicFileWriter::AtomicFileWriter(FileSystem& fs) : m_fs(fs) {}

bool AtomicFileWriter::fail(const QString& path, const QString& step, int error)
{
    m_error = QStringLiteral("Could not save %1: %2 failed: %3.").arg(path, step, qt_error_string(error));
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
    const QString prefix = QLatin1Char('.') + fileName + QLatin1Char('.');
    static const QRegularExpression suffix(QStringLiteral("^[A-Za-z0-9]{%1}\\.tmp$").arg(SuffixLength));
    return name.startsWith(prefix) && suffix.match(QStringView(name).mid(prefix.size())).hasMatch();
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

bool AtomicFileWriter::writeAll(int fd, const char* data, qint64 left, int* error)
{
    while (left > 0) {
        qint64 written = 0;
        *error = m_fs.write(fd, data, left, &written);
        if (*error)
            return false;
        if (written <= 0 || written > left) {
            *error = EIO;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

bool AtomicFileWriter::replace(const QString& target, const QByteArray& content)
{
    return replace(target,
                   [&content](const Sink& write) { return write(content.constData(), content.size()); });
}

bool AtomicFileWriter::replace(const QString& target, const Content& content)
{
    m_error.clear();
    const QString folder = QFileInfo(target).absolutePath();
    FileStamp old;
    int error = m_fs.stat(target, &old);
    if (error == 0 && !old.regular)
        return fail(target, QStringLiteral("replacing it"), EISDIR);
    if (error == 0 && (error = m_fs.checkWritable(target)))
        return fail(target, QStringLiteral("opening it for writing"), error);
    if (error == ENOENT && (error = m_fs.makeFolders(folder)))
        return fail(target, QStringLiteral("creating the folder %1").arg(folder), error);
    if (error)
        return fail(target, QStringLiteral("looking at it"), error);

    QString temporary;
    int fd = -1;
    const quint32 mode = old.exists ? old.permissions : 0666;
    if ((error = createTemporary(target, mode, &temporary, &fd)))
        return fail(target, QStringLiteral("creating a temporary file in %1").arg(folder), error);

    QString step;
    const auto toFile = [&](const char* data, qint64 size) {
        return writeAll(fd, data, size, &error);
    };
    if (old.exists && (error = m_fs.setMode(fd, mode))) {
        step = QStringLiteral("keeping the file's permissions");
    } else if (!content(toFile)) {
        error = error ? error : EIO;
        step = QStringLiteral("writing %1").arg(temporary);
    } else if ((error = m_fs.sync(fd))) {
        step = QStringLiteral("flushing %1 to disk").arg(temporary);
    }
    int closeError = m_fs.close(fd);
    if (!error && closeError) {
        error = closeError;
        step = QStringLiteral("closing %1").arg(temporary);
    }
    if (!error && (error = m_fs.rename(temporary, target)))
        step = QStringLiteral("renaming %1 over it").arg(temporary);
    if (error) {
        m_fs.remove(temporary);
        fail(target, step, error);
        m_error += QStringLiteral(" The file was left as it was.");
        return false;
    }
    if ((error = m_fs.syncFolder(folder))) {
        fail(target, QStringLiteral("flushing the folder %1 to disk").arg(folder), error);
        m_error +=
            QStringLiteral(" The file holds the new content, but it may be lost if the system stops now.");
        return false;
    }
    return true;
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
