// SPDX-License-Identifier: GPL-3.0-or-later
#include "ControlServer.h"

#include <QDir>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QTimer>

namespace {

// A running copy accepts at once (the kernel queues the connection); this only bounds a hung one.
constexpr int ProbeMs = 2000;

} // namespace

ControlServer::ControlServer(QString socketPath, std::chrono::milliseconds lineDeadline, QObject* parent)
    : QObject(parent), m_socketPath(std::move(socketPath)), m_lineDeadline(lineDeadline)
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.setMaxPendingConnections(MaxConnections);
}

Result<QString> ControlServer::defaultSocketPath(ControlSocketFolder::Use use)
{
    const Result<QString> folder =
        ControlSocketFolder::resolve(qEnvironmentVariable("XDG_RUNTIME_DIR"), QDir::tempPath(), use);
    if (!folder)
        return folder;
    return *folder + QStringLiteral("/tessaly.socket");
}

Result<ControlServer::Claim> ControlServer::claim()
{
    // Two copies started at once would both find no answer and both remove and listen; the lock makes
    // the look and the listen one step. QLockFile takes over a lock whose holder died.
    QLockFile lock(m_socketPath + QStringLiteral(".lock"));
    lock.setStaleLockTime(0);
    if (!lock.lock())
        return Failure::because(QStringLiteral("cannot lock %1.lock").arg(m_socketPath));
    QLocalSocket probe;
    probe.connectToServer(m_socketPath);
    if (probe.waitForConnected(ProbeMs))
        return Claim::AlreadyRunning;
    // Nobody answers: what is there was left by a copy that was killed.
    QLocalServer::removeServer(m_socketPath);
    if (!m_server.listen(m_socketPath))
        return Failure::because(QStringLiteral("%1: %2").arg(m_socketPath, m_server.errorString()));
    return Claim::Claimed;
}

void ControlServer::serve(Handler handler)
{
    m_handler = std::move(handler);
    connect(&m_server, &QLocalServer::newConnection, this, &ControlServer::acceptPending);
    acceptPending();
}

void ControlServer::stopListening()
{
    m_server.close();
}

void ControlServer::acceptPending()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        // Each open connection holds a file descriptor; when they run out, the server fails to accept
        // and closes, and its socket file is gone.
        if (m_open >= MaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_open;
        connect(socket, &QObject::destroyed, this, [this] { --m_open; });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A line and its end, or one byte more than a line may hold: enough to refuse it.
        socket->setReadBufferSize(MaxLineBytes + 1);
        // Runs until the line is taken; a client that never sends one is dropped.
        auto* deadline = new QTimer(socket);
        deadline->setSingleShot(true);
        connect(deadline, &QTimer::timeout, socket, &QLocalSocket::abort);
        deadline->start(m_lineDeadline);
        connect(socket, &QLocalSocket::readyRead, deadline,
                [this, socket, deadline] { take(socket, deadline); });
        take(socket, deadline);
    }
}

void ControlServer::take(QLocalSocket* socket, QTimer* deadline)
{
    // One command per connection: what follows the line is never read.
    if (!deadline->isActive())
        return;
    const bool whole = socket->canReadLine();
    if (!whole && socket->bytesAvailable() <= MaxLineBytes)
        return;
    deadline->stop();
    // The read buffer's bound makes a whole line a short one.
    if (!whole) {
        answer(socket, QStringLiteral("error: the command is too long\n"));
        return;
    }
    const QByteArray line = socket->readLine().chopped(1);
    // The handler may run the event loop while it works (a change waits for the desktop) and the
    // client may hang up meanwhile: a socket freed inside its own readyRead is a crash. So the handler
    // runs from the event loop, and its reply holds the socket weakly.
    QMetaObject::invokeMethod(
        this,
        [this, command = QString::fromUtf8(line).trimmed(), client = QPointer<QLocalSocket>(socket)] {
            m_handler(command, [client](const QString& reply) {
                if (client)
                    answer(client, reply);
            });
        },
        Qt::QueuedConnection);
}

void ControlServer::answer(QLocalSocket* socket, const QString& reply)
{
    // A client that hung up, or one answered already, is no longer connected: the reply is dropped.
    if (socket->state() != QLocalSocket::ConnectedState)
        return;
    socket->write(reply.toUtf8());
    socket->flush();
    socket->disconnectFromServer();
}
