// SPDX-License-Identifier: GPL-3.0-or-later
#include "ControlServer.h"

#include <QDir>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QStandardPaths>

namespace {

// A running copy accepts at once (the kernel queues the connection); this only bounds a hung one.
constexpr int ProbeMs = 2000;

} // namespace

ControlServer::ControlServer(QString socketPath, QObject* parent)
    : QObject(parent), m_socketPath(std::move(socketPath))
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
}

QString ControlServer::defaultSocketPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
        .filePath(QStringLiteral("tessaly.socket"));
}

ControlServer::Claim ControlServer::claim(QString* error)
{
    // Two copies started at once would both find no answer and both remove and listen; the lock makes
    // the look and the listen one step. QLockFile takes over a lock whose holder died.
    QLockFile lock(m_socketPath + QStringLiteral(".lock"));
    lock.setStaleLockTime(0);
    if (!lock.lock()) {
        *error = QStringLiteral("cannot lock %1.lock").arg(m_socketPath);
        return Claim::Failed;
    }
    QLocalSocket probe;
    probe.connectToServer(m_socketPath);
    if (probe.waitForConnected(ProbeMs))
        return Claim::AlreadyRunning;
    // Nobody answers: what is there was left by a copy that was killed.
    QLocalServer::removeServer(m_socketPath);
    if (!m_server.listen(m_socketPath)) {
        *error = QStringLiteral("%1: %2").arg(m_socketPath, m_server.errorString());
        return Claim::Failed;
    }
    return Claim::Claimed;
}

void ControlServer::serve(Handler handler)
{
    m_handler = std::move(handler);
    connect(&m_server, &QLocalServer::newConnection, this, &ControlServer::acceptPending);
    acceptPending();
}

void ControlServer::acceptPending()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { answer(socket); });
        if (socket->canReadLine())
            answer(socket);
    }
}

void ControlServer::answer(QLocalSocket* socket)
{
    if (!socket->canReadLine() || socket->property("answered").toBool())
        return;
    socket->setProperty("answered", true);
    const QString command = QString::fromUtf8(socket->readLine()).trimmed();
    // A change runs the event loop while it waits; the client may hang up meanwhile.
    const QPointer<QLocalSocket> alive(socket);
    const QString reply = m_handler(command);
    if (!alive)
        return;
    socket->write(reply.toUtf8());
    socket->flush();
    socket->disconnectFromServer();
}
