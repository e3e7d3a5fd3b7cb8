// SPDX-License-Identifier: GPL-3.0-or-later
#include "DeadlineDevice.h"

#include "DecodeDeadline.h"

DeadlineDevice::DeadlineDevice(QIODevice& source, const DecodeDeadline& deadline)
    : m_source(source), m_deadline(deadline)
{}

bool DeadlineDevice::isSequential() const
{
    return m_source.isSequential();
}

qint64 DeadlineDevice::size() const
{
    return m_source.size();
}

bool DeadlineDevice::seek(qint64 pos)
{
    return m_source.seek(pos) && QIODevice::seek(pos);
}

qint64 DeadlineDevice::readData(char* data, qint64 maxSize)
{
    if (m_expired)
        return -1;
    if (m_deadline.expired()) {
        m_expired = true;
        setErrorString(m_deadline.reason());
        return -1;
    }
    return m_source.read(data, maxSize);
}

qint64 DeadlineDevice::writeData(const char*, qint64)
{
    return -1;
}
