// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIODevice>

class DecodeDeadline;

/**
 * Another device's bytes, read only while a decode deadline holds. Qt's image readers pull their input as
 * they decode, so a reader given this device runs dry, and stops, once the time is up.
 */
class DeadlineDevice final : public QIODevice
{
public:
    /** Both must outlive the device; open it once the source is open at its start. */
    DeadlineDevice(QIODevice& source, const DecodeDeadline& deadline);

    bool isSequential() const override;
    qint64 size() const override;
    bool seek(qint64 pos) override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    QIODevice& m_source;
    const DecodeDeadline& m_deadline;
    /** Some readers go on reading byte by byte after a failed read: each failure must cost nothing. */
    bool m_expired = false;
};
