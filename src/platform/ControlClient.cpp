// SPDX-License-Identifier: GPL-3.0-or-later
#include "ControlClient.h"

#include <QDeadlineTimer>
#include <QLocalSocket>

Result<QString> ControlClient::send(const QString& command, int replyMs) const
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(2000))
        return Failure{FailureKind::NotFound, QStringLiteral("Tessaly is not running"), {}};
    socket.write(command.toUtf8() + '\n');
    if (!socket.waitForBytesWritten(2000))
        return Failure::because(QStringLiteral("the running copy did not take the command"));
    QByteArray reply;
    const QDeadlineTimer deadline =
        replyMs == UntilAnswered ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(replyMs);
    while (socket.state() == QLocalSocket::ConnectedState && !deadline.hasExpired()) {
        socket.waitForReadyRead(int(deadline.remainingTime()));
        reply += socket.readAll();
    }
    reply += socket.readAll();
    if (reply.isEmpty())
        return Failure::because(QStringLiteral("the running copy did not answer"));
    return QString::fromUtf8(reply);
}

bool ControlClient::post(const QString& command) const
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(2000))
        return false;
    socket.write(command.toUtf8() + '\n');
    return socket.waitForBytesWritten(2000);
}
