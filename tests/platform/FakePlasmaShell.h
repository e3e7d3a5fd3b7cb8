// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusContext>
#include <QDBusError>
#include <QObject>

/** Stands in for plasmashell's scripting interface: keeps the last script, and refuses it when told to. */
class FakePlasmaShell : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.PlasmaShell")

public:
    const QString& script() const { return m_script; }
    /** Refuses every later script with this message (empty: accepts them again). */
    void refuseWith(const QString& message) { m_refusal = message; }

public slots:
    void evaluateScript(const QString& script)
    {
        m_script = script;
        if (!m_refusal.isEmpty())
            sendErrorReply(QDBusError::Failed, m_refusal);
    }

private:
    QString m_script;
    QString m_refusal;
};
