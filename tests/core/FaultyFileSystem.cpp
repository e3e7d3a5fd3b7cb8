// SPDX-License-Identifier: GPL-3.0-or-later
#include "FaultyFileSystem.h"

#include <algorithm>

void FaultyFileSystem::failAt(Step step, int error, qint64 bytesBeforeFailure)
{
    m_step = step;
    m_error = error;
    m_bytesBeforeFailure = bytesBeforeFailure;
    m_written = 0;
}

int FaultyFileSystem::readFile(const QString& path, QByteArray* content)
{
    return failing(Step::ReadFile) ? m_error : PosixFileSystem::readFile(path, content);
}

int FaultyFileSystem::checkWritable(const QString& path)
{
    return failing(Step::CheckWritable) ? m_error : PosixFileSystem::checkWritable(path);
}

int FaultyFileSystem::makeFolders(const QString& path)
{
    return failing(Step::MakeFolders) ? m_error : PosixFileSystem::makeFolders(path);
}

int FaultyFileSystem::createNew(const QString& path, mode_t mode, int* fd)
{
    return failing(Step::CreateNew) ? m_error : PosixFileSystem::createNew(path, mode, fd);
}

int FaultyFileSystem::write(int fd, const char* data, qint64 size, qint64* written)
{
    if (m_writeLimit > 0)
        size = std::min(size, m_writeLimit);
    if (failing(Step::Write)) {
        const qint64 room = m_bytesBeforeFailure - m_written;
        if (room <= 0) {
            *written = 0;
            return m_error;
        }
        size = std::min(size, room);
    }
    const int error = PosixFileSystem::write(fd, data, size, written);
    m_written += *written;
    return error;
}

int FaultyFileSystem::setMode(int fd, mode_t mode)
{
    return failing(Step::SetMode) ? m_error : PosixFileSystem::setMode(fd, mode);
}

int FaultyFileSystem::sync(int fd)
{
    return failing(Step::Sync) ? m_error : PosixFileSystem::sync(fd);
}

int FaultyFileSystem::close(int fd)
{
    const int error = PosixFileSystem::close(fd);
    return failing(Step::Close) ? m_error : error;
}

int FaultyFileSystem::rename(const QString& from, const QString& to)
{
    return failing(Step::Rename) ? m_error : PosixFileSystem::rename(from, to);
}

int FaultyFileSystem::syncFolder(const QString& path)
{
    return failing(Step::SyncFolder) ? m_error : PosixFileSystem::syncFolder(path);
}
