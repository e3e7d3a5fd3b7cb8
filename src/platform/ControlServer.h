// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ControlSocketFolder.h"

#include <QLocalServer>
#include <QObject>
#include <chrono>
#include <functional>

class QLocalSocket;
class QTimer;

/**
 * The running copy's end of the one channel to it: a local socket in a folder only the user can
 * enter. Holding it is also what makes this copy the only one. No client can hurt it: each sends one
 * line of bounded length within a deadline, few are open at once, and one that hangs up before its
 * reply costs nothing.
 */
class ControlServer : public QObject
{
    Q_OBJECT

public:
    /** Gives the reply: "ok" or "error: …" on the first line, then any text. Only the first counts. */
    using Reply = std::function<void(const QString& reply)>;
    /** A command line in; the reply may be given at once or later, on this object's thread. */
    using Handler = std::function<void(const QString& command, Reply reply)>;
    enum class Claim { Claimed, AlreadyRunning };

    static constexpr qint64 MaxLineBytes = 4096;
    static constexpr int MaxConnections = 32;
    static constexpr std::chrono::milliseconds LineDeadline{5000};

    explicit ControlServer(QString socketPath, std::chrono::milliseconds lineDeadline = LineDeadline,
                           QObject* parent = nullptr);

    /** tessaly.socket in the user's private folder (see ControlSocketFolder). */
    static Result<QString> defaultSocketPath(ControlSocketFolder::Use use);

    /**
     * Becomes the copy that runs, unless one answers on the socket already. A socket left by a copy
     * that was killed is replaced. Commands wait until serve() is called.
     */
    Result<Claim> claim();
    /** Starts answering, also the commands that arrived while the program was starting. */
    void serve(Handler handler);
    /** Takes no new clients and removes the socket (a copy started now runs); those held stay. */
    void stopListening();
    /** Clients held now: each until it is answered and gone, dropped or hung up. */
    int openConnections() const { return m_open; }

private:
    void acceptPending();
    void take(QLocalSocket* socket, QTimer* deadline);
    static void answer(QLocalSocket* socket, const QString& reply);

    QString m_socketPath;
    std::chrono::milliseconds m_lineDeadline;
    Handler m_handler;
    // Before m_server: its sockets count themselves out as it deletes them.
    int m_open = 0;
    QLocalServer m_server;
};
