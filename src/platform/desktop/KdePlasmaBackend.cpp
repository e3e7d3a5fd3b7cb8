// SPDX-License-Identifier: GPL-3.0-or-later
#include "KdePlasmaBackend.h"

#include <QDBusMessage>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>

namespace {

const QString kWho = QStringLiteral("KDE Plasma");
constexpr int kCallTimeoutMs = 30000;

Failure failure(const QString& what)
{
    return Failure::because(kWho + QStringLiteral(": ") + what);
}

int fillMode(WallpaperStyle style)
{
    if (style == WallpaperStyle::Center)
        return 6;
    if (style == WallpaperStyle::Tile)
        return 3;
    return 0; // a monitor's own part is stretched onto it 1:1
}

/** `text` as a JavaScript string literal: whatever it holds stays data. */
QString scriptStringLiteral(const QString& text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    QString literal = QString::fromUtf8(array.mid(1, array.size() - 2));
    // Valid in JSON but line terminators inside an older JavaScript engine's string literal.
    literal.replace(QChar(0x2028), QLatin1String("\\u2028"));
    literal.replace(QChar(0x2029), QLatin1String("\\u2029"));
    return literal;
}

QString rectLiteral(const QRect& rect)
{
    return QStringLiteral("[%1, %2, %3, %4]")
        .arg(rect.x())
        .arg(rect.y())
        .arg(rect.width())
        .arg(rect.height());
}

/**
 * The rectangles `screenGeometry()` may give for the monitor. Plasma counts in Qt's coordinates: device
 * pixels at scale 1; on X11 with a scale, Qt keeps each screen's corner in device pixels and divides its
 * size; on Wayland the compositor's logical pixels, corner and size divided. Plasma's script tells no
 * scale, so each form is offered and the desktop's screen matches the one it uses.
 */
QString placesLiteral(const MonitorGeometry& monitor)
{
    const double ratio = monitor.screen.devicePixelRatio;
    const QSize logical = monitor.screen.logicalSize;
    const QPoint scaledCorner(qRound(monitor.place.x() / ratio), qRound(monitor.place.y() / ratio));
    QList<QRect> places{monitor.place};
    for (const QRect& place : {QRect(monitor.place.topLeft(), logical), QRect(scaledCorner, logical)}) {
        if (!places.contains(place))
            places.append(place);
    }
    QStringList literals;
    for (const QRect& place : std::as_const(places))
        literals.append(rectLiteral(place));
    return QLatin1Char('[') + literals.join(QStringLiteral(", ")) + QLatin1Char(']');
}

/**
 * The script that sets each desktop's wallpaper: the part of the monitor whose place its screen's
 * geometry matches, else the first part (the primary's, or the one bitmap for all).
 */
QString wallpaperScript(const QStringList& urls, const QList<MonitorGeometry>& monitors, int mode)
{
    QStringList parts;
    for (qsizetype i = 0; i < urls.size(); ++i) {
        const QString places = i < monitors.size() ? placesLiteral(monitors.at(i)) : QStringLiteral("[]");
        parts.append(
            QStringLiteral("    {url: %1, places: %2}").arg(scriptStringLiteral(urls.at(i)), places));
    }
    // ES5 only: older Plasma releases run these scripts on an engine without let/const or for-of.
    // A desktop kept for an unplugged monitor has screen -1, and screenGeometry() of it is empty.
    return QStringLiteral("var parts = [\n%1\n];\n"
                          "function partFor(d) {\n"
                          "    if (typeof d.screen !== 'number' || d.screen < 0)\n"
                          "        return parts[0];\n"
                          "    var g = screenGeometry(d.screen);\n"
                          "    for (var i = 0; g && i < parts.length; ++i) {\n"
                          "        for (var j = 0; j < parts[i].places.length; ++j) {\n"
                          "            var p = parts[i].places[j];\n"
                          "            if (Math.round(g.x) == p[0] && Math.round(g.y) == p[1] &&\n"
                          "                Math.round(g.width) == p[2] && Math.round(g.height) == p[3])\n"
                          "                return parts[i];\n"
                          "        }\n"
                          "    }\n"
                          "    return parts[0];\n"
                          "}\n"
                          "var all = desktops();\n"
                          "for (var i = 0; i < all.length; ++i) {\n"
                          "    var d = all[i];\n"
                          "    var url = partFor(d).url;\n"
                          "    d.wallpaperPlugin = 'org.kde.image';\n"
                          "    d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];\n"
                          "    d.writeConfig('FillMode', %2);\n"
                          "    d.writeConfig('Image', url);\n"
                          "}\n")
        .arg(parts.join(QStringLiteral(",\n")), QString::number(mode));
}

} // namespace

KdePlasmaBackend::KdePlasmaBackend(QDBusConnection bus) : m_bus(std::move(bus)) {}

Result<> KdePlasmaBackend::applyStyleThenFiles(const QStringList& files, WallpaperStyle style)
{
    QStringList urls;
    for (const QString& file : files) {
        if (!QFileInfo(file).isFile())
            return failure(QStringLiteral("the bitmap \"%1\" does not exist").arg(file));
        urls.append(QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded));
    }
    if (urls.isEmpty())
        return failure(QStringLiteral("no bitmap was given"));
    if (!m_bus.isConnected())
        return failure(QStringLiteral("no D-Bus session bus: %1").arg(m_bus.lastError().message()));
    const bool perMonitor = files.size() > 1;

    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
        QStringLiteral("org.kde.PlasmaShell"), QStringLiteral("evaluateScript"));
    call << wallpaperScript(urls, perMonitor ? monitors() : QList<MonitorGeometry>(), fillMode(style));
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        const QString message = reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
        return failure(QStringLiteral("the wallpaper was refused: %1").arg(message));
    }
    return {};
}
