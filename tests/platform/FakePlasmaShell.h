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
    QString script;
    QString refusal;

public slots:
    void evaluateScript(const QString& text)
    {
        script = text;
        if (!refusal.isEmpty())
            sendErrorReply(QDBusError::Failed, refusal);
    }
};
