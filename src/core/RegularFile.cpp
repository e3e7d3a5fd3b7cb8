// SPDX-License-Identifier: GPL-3.0-or-later
#include "RegularFile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("it is a folder, not a picture file");
    if (S_ISFIFO(mode))
        return QStringLiteral("it is a named pipe, not a picture file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("it is a device, not a picture file");
    if (S_ISSOCK(mode))
        return QStringLiteral("it is a socket, not a picture file");
    return QStringLiteral("it is not a plain file");
}

bool refuse(QString* reason, const QString& why)
{
    if (reason)
        *reason = why;
    return false;
}

} // namespace

bool RegularFile::open(const QString& path, QFile& file, QString* reason)
{
    if (path.isEmpty())
        return refuse(reason, QStringLiteral("no file is named"));
    const QByteArray native = QFile::encodeName(path);
    // Looked at before opening, so that a device is never opened at all.
    struct stat info = {};
    if (::stat(native.constData(), &info) != 0)
        return refuse(reason, qt_error_string(errno));
    if (!S_ISREG(info.st_mode))
        return refuse(reason, kindOf(info.st_mode));
    // Not blocking, and looked at again once open: the name may have been given to a pipe in between.
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return refuse(reason, qt_error_string(errno));
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const QString why = S_ISREG(info.st_mode) ? qt_error_string(errno) : kindOf(info.st_mode);
        ::close(fd);
        return refuse(reason, why);
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refuse(reason, file.errorString());
    }
    return true;
}
