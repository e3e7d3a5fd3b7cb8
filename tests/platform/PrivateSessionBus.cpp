// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrivateSessionBus.h"

#include <QDeadlineTimer>

PrivateSessionBus::~PrivateSessionBus()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(3000);
    }
}

QString PrivateSessionBus::start()
{
    m_process.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                    QStringLiteral("--print-address=1")});
    if (!m_process.waitForStarted(5000))
        return QStringLiteral("cannot start dbus-daemon (package dbus): %1").arg(m_process.errorString());
    QByteArray output;
    const QDeadlineTimer deadline(10000);
    while (!output.contains('\n')) {
        if (deadline.hasExpired() || !m_process.waitForReadyRead(int(deadline.remainingTime())))
            return QStringLiteral("dbus-daemon printed no address: %1")
                .arg(QString::fromLocal8Bit(m_process.readAllStandardError()));
        output += m_process.readAllStandardOutput();
    }
    m_address = QString::fromUtf8(output.trimmed());
    return {};
}
