// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusContext>
#include <QDBusError>
#include <QJsonArray>
#include <QJsonDocument>
#include <QObject>
#include <QProcess>

/**
 * Stands in for plasmashell's scripting interface: keeps the last script and runs it (with node) on a small
 * stand-in of Plasma's desktops() and screenGeometry(); a script that throws is refused with its error, as
 * Plasma does, and so is every script when told to.
 */
class FakePlasmaShell : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.PlasmaShell")

public:
    const QString& script() const { return m_script; }
    /** Refuses every later script with this message (empty: accepts them again). */
    void refuseWith(const QString& message) { m_refusal = message; }
    /** Plasma's screens, "[[x, y, width, height], …]", and each desktop's screen, "[0, -1, …]" (-1: none). */
    void setLayout(const QString& screens, const QString& desktopScreens)
    {
        m_screens = screens;
        m_desktopScreens = desktopScreens;
    }
    /** Each desktop after the last script run, with what it set: "screen", "wallpaperPlugin", "Image", … */
    const QJsonArray& desktops() const { return m_desktops; }

public slots:
    void evaluateScript(const QString& script)
    {
        m_script = script;
        if (!m_refusal.isEmpty()) { // changes nothing
            sendErrorReply(QDBusError::Failed, m_refusal);
            return;
        }
        // An unknown screen's geometry is empty in Plasma.
        const QString stage =
            QStringLiteral("var screens = %1, shown = %2.map(function (screen) {\n"
                           "    var d = {screen: screen};\n"
                           "    d.writeConfig = function (key, value) { d[key] = value; };\n"
                           "    return d;\n"
                           "});\n"
                           "function desktops() { return shown; }\n"
                           "function screenGeometry(n) {\n"
                           "    var s = screens[n] || [0, 0, 0, 0];\n"
                           "    return {x: s[0], y: s[1], width: s[2], height: s[3]};\n"
                           "}\n")
                .arg(m_screens, m_desktopScreens);
        QProcess node;
        node.start(QStringLiteral("node"), {QStringLiteral("-")});
        node.write(stage.toUtf8() + "(function () {\n" + script.toUtf8() +
                   "\n})();\nconsole.log(JSON.stringify(shown));\n");
        node.closeWriteChannel();
        const bool ran = node.waitForFinished(10000) && node.exitCode() == 0;
        m_desktops = ran ? QJsonDocument::fromJson(node.readAllStandardOutput()).array() : QJsonArray();
        if (!ran)
            sendErrorReply(QDBusError::Failed, QString::fromUtf8(node.readAllStandardError()));
    }

private:
    QString m_script;
    QString m_refusal;
    QString m_screens = QStringLiteral("[[0, 0, 64, 48]]");
    QString m_desktopScreens = QStringLiteral("[0]");
    QJsonArray m_desktops;
};
