// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Result.h"

#include <QString>

/** Sends one command to the running copy over its socket and waits for the reply. */
class ControlClient
{
public:
    /** How long a command may take in the running copy (a change, or a message shown there). */
    static constexpr int ReplyMs = 60 * 1000;
    /** No limit: the reply waits for the user of the running copy, as long as the copy holds the line. */
    static constexpr int UntilAnswered = -1;

    explicit ControlClient(QString socketPath) : m_socketPath(std::move(socketPath)) {}

    /**
     * The reply. Fails as NotFound when no copy runs, and with its reason when the copy does not take the
     * command or does not answer within replyMs.
     */
    Result<QString> send(const QString& command, int replyMs = ReplyMs) const;
    /** Hands the command over without waiting for it to be carried out; false when no copy runs. */
    bool post(const QString& command) const;

private:
    QString m_socketPath;
};
