// SPDX-License-Identifier: GPL-3.0-or-later
#include "ControlSocketFolder.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

Result<QString> ControlSocketFolder::resolve(const QString& runtimeDir, const QString& tempDir, Use use)
{
    // An unusable runtime folder is common (su, ssh, a shared one set by hand): not an error, only
    // a reason to use a folder of our own.
    if (QDir::isAbsolutePath(runtimeDir) && checkPrivate(runtimeDir))
        return runtimeDir;
    const QString own = QStringLiteral("%1/tessaly-%2").arg(tempDir).arg(getuid());
    const QByteArray encoded = QFile::encodeName(own);
    if (use == Use::Create && ::mkdir(encoded.constData(), 0700) != 0 && errno != EEXIST)
        return Failure::because(
            QStringLiteral("%1 cannot be made: %2").arg(own, QString::fromLocal8Bit(std::strerror(errno))));
    struct stat info = {};
    if (use == Use::Find && ::lstat(encoded.constData(), &info) != 0 && errno == ENOENT)
        return own; // nothing runs, and nothing is made for a question
    // Made by someone else before us, perhaps: then it is theirs to answer in, and never used.
    if (const Result<> owned = checkPrivate(own); !owned)
        return owned.failure().prefixed(QStringLiteral("%1 is not private: it ").arg(own));
    return own;
}

Result<> ControlSocketFolder::checkPrivate(const QString& path)
{
    struct stat info = {};
    // lstat: a link could be turned to another folder after the check.
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return Failure::because(
            QStringLiteral("cannot be read: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    if (S_ISLNK(info.st_mode))
        return Failure::because(QStringLiteral("is a symbolic link"));
    if (!S_ISDIR(info.st_mode))
        return Failure{FailureKind::NotFolder, QStringLiteral("is not a folder"), {}};
    if (info.st_uid != getuid())
        return Failure{FailureKind::Denied, QStringLiteral("belongs to user %1").arg(info.st_uid), {}};
    if ((info.st_mode & 07777) != 0700)
        return Failure::because(
            QStringLiteral("has mode %1, not 0700").arg(info.st_mode & 07777, 4, 8, QLatin1Char('0')));
    return {};
}
