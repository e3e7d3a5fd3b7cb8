// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocalServer>
#include <QObject>
#include <functional>

/**
 * The running copy's end of the one channel to it: a local socket in the user's runtime folder,
 * reachable by the same user only. Holding it is also what makes this copy the only one.
 */
class ControlServer : public QObject
{
    Q_OBJECT

public:
    /** A command line in, the reply out: "ok" or "error: …" on the first line, then any text. */
    using Handler = std::function<QString(const QString& command)>;
    enum class Claim { Claimed, AlreadyRunning, Failed };

    explicit ControlServer(QString socketPath, QObject* parent = nullptr);

    /** $XDG_RUNTIME_DIR/tessaly.socket (Qt makes a private one when the variable is unset). */
    static QString defaultSocketPath();

    /**
     * Becomes the copy that runs, unless one answers on the socket already. A socket left by a copy
     * that was killed is replaced. Commands wait until serve() is called.
     */
    Claim claim(QString* error);
    /** Starts answering, also the commands that arrived while the program was starting. */
    void serve(Handler handler);

private:
    void acceptPending();
    void answer(class QLocalSocket* socket);

    QString m_socketPath;
    QLocalServer m_server;
    Handler m_handler;
};
