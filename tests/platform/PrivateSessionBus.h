// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QString>

/** A dbus-daemon of our own, so no test talks to the real session; stopped when this object goes. */
class PrivateSessionBus
{
public:
    ~PrivateSessionBus();

    /** Starts the daemon; empty on success, else why not. */
    QString start();
    /** For DBUS_SESSION_BUS_ADDRESS or QDBusConnection::connectToBus. */
    const QString& address() const { return m_address; }

private:
    QProcess m_process;
    QString m_address;
};
