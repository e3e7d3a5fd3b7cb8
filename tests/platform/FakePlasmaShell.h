// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusContext>
#include <QDBusError>
#include <QJsonArray>
#include <QJsonDocument>
#include <QObject>
#include <QProcess>
#include <QRect>

/**
 * Stands in for plasmashell's scripting interface: keeps the last script and runs it (with node) against
 * a small stand-in of Plasma's desktops(), screenGeometry() and writeConfig(); a script that throws is
 * refused with its error, as Plasma does, and so is every script when told to.
 */
class FakePlasmaShell : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.PlasmaShell")

public:
    const QString& script() const { return m_script; }
    /** Refuses every later script with this message (empty: accepts them again). */
    void refuseWith(const QString& message) { m_refusal = message; }
    /** Plasma's screens (number: geometry) and the screen of each desktop (-1: none). */
    void setLayout(const QList<QRect>& screens, const QList<int>& desktopScreens)
    {
        m_screens = {};
        for (const QRect& screen : screens)
            m_screens.append(QJsonArray{screen.x(), screen.y(), screen.width(), screen.height()});
        m_desktopScreens = {};
        for (const int screen : desktopScreens)
            m_desktopScreens.append(screen);
    }
    /** What the last script wrote into each desktop: {"screen", "plugin", "FillMode", "Image"}. */
    const QJsonArray& desktops() const { return m_desktops; }

public slots:
    void evaluateScript(const QString& script)
    {
        m_script = script;
        m_desktops = {};
        if (!m_refusal.isEmpty()) {
            sendErrorReply(QDBusError::Failed, m_refusal);
            return;
        }
        QProcess node;
        node.start(QStringLiteral("node"), {QStringLiteral("-")});
        node.write(stage().toUtf8() + "(function () {\n" + script.toUtf8() +
                   "\n})();\nconsole.log(JSON.stringify(shown));\n");
        node.closeWriteChannel();
        if (!node.waitForFinished(10000) || node.exitCode() != 0) {
            sendErrorReply(QDBusError::Failed, QString::fromUtf8(node.readAllStandardError()));
            return;
        }
        m_desktops = QJsonDocument::fromJson(node.readAllStandardOutput()).array();
    }

private:
    QString stage() const
    {
        const auto json = [](const QJsonArray& array) {
            return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
        };
        return QStringLiteral(
                   "var screens = %1, shown = %2.map(function (screen) { return {screen: screen}; });\n"
                   "function screenGeometry(n) {\n"
                   "    var s = screens[n] || [0, 0, 0, 0];\n" // Plasma's is empty for no screen
                   "    return {x: s[0], y: s[1], width: s[2], height: s[3]};\n"
                   "}\n"
                   "function desktops() {\n"
                   "    return shown.map(function (record) {\n"
                   "        var d = {screen: record.screen, currentConfigGroup: []};\n"
                   "        Object.defineProperty(d, 'wallpaperPlugin', {set: function (p) { record.plugin = "
                   "p; }});\n"
                   "        d.writeConfig = function (key, value) {\n"
                   "            if (d.currentConfigGroup.join('/') !== 'Wallpaper/org.kde.image/General')\n"
                   "                throw new Error('writeConfig outside the image group');\n"
                   "            record[key] = value;\n"
                   "        };\n"
                   "        return d;\n"
                   "    });\n"
                   "}\n")
            .arg(json(m_screens), json(m_desktopScreens));
    }

    QString m_script;
    QString m_refusal;
    QJsonArray m_screens{QJsonArray{0, 0, 64, 48}};
    QJsonArray m_desktopScreens{0};
    QJsonArray m_desktops;
};
