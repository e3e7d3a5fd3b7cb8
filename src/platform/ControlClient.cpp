// SPDX-License-Identifier: GPL-3.0-or-later
#include "ControlClient.h"

#include <QDeadlineTimer>
#include <QLocalSocket>

std::optional<QString> ControlClient::send(const QString& command, int replyMs) const
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(2000))
        return std::nullopt;
    socket.write(command.toUtf8() + '\n');
    if (!socket.waitForBytesWritten(2000))
        return QStringLiteral("error: the running copy did not take the command\n");
    QByteArray reply;
    const QDeadlineTimer deadline =
        replyMs == UntilAnswered ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(replyMs);
    while (socket.state() == QLocalSocket::ConnectedState && !deadline.hasExpired()) {
        socket.waitForReadyRead(int(deadline.remainingTime()));
        reply += socket.readAll();
    }
    reply += socket.readAll();
    if (reply.isEmpty())
        return QStringLiteral("error: the running copy did not answer\n");
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
