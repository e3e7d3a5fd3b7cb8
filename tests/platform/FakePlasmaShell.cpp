// SPDX-License-Identifier: GPL-3.0-or-later
// Stands in for plasmashell on a private session bus: records every script it is asked to evaluate
// (as script-1.js, script-2.js, ... in a folder) and can refuse them with a D-Bus error, as Plasma does.
//
// Usage: FakePlasmaShell <record folder> [refusal message]

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusError>
#include <QDir>
#include <QFile>

#include <cstdio>

class FakePlasmaShell : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.PlasmaShell")

public:
    FakePlasmaShell(QString recordFolder, QString refusal)
        : m_recordFolder(std::move(recordFolder)), m_refusal(std::move(refusal))
    {}

public slots:
    QString evaluateScript(const QString& script)
    {
        QFile record(QDir(m_recordFolder).filePath(QStringLiteral("script-%1.js").arg(++m_count)));
        if (!record.open(QIODevice::WriteOnly) || record.write(script.toUtf8()) < 0)
            qFatal("cannot record the script");
        record.close();
        if (!m_refusal.isEmpty())
            sendErrorReply(QDBusError::Failed, m_refusal);
        return {};
    }

private:
    QString m_recordFolder;
    QString m_refusal;
    int m_count = 0;
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fputs("usage: FakePlasmaShell <record folder> [refusal message]\n", stderr);
        return 2;
    }
    FakePlasmaShell shell(args.at(1), args.value(2));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/PlasmaShell"), &shell, QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.kde.plasmashell"))) {
        std::fprintf(stderr, "cannot take org.kde.plasmashell: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    return app.exec();
}

#include "FakePlasmaShell.moc"
