// SPDX-License-Identifier: GPL-3.0-or-later
#include "KdePlasmaBackend.h"

#include "FreshBitmapCopy.h"

#include <QDBusMessage>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>

namespace {

const QString kWho = QStringLiteral("KDE Plasma");
constexpr int kCallTimeoutMs = 30000;

ApplyResult failure(const QString& what)
{
    return {false, kWho + QStringLiteral(": ") + what};
}

int fillMode(WallpaperStyle style)
{
    if (style == WallpaperStyle::Center)
        return 6;
    if (style == WallpaperStyle::Tile)
        return 3;
    return 0;
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

QString wallpaperScript(const QString& url, int mode)
{
    // ES5 only: older Plasma releases run these scripts on an engine without let/const or for-of.
    return QStringLiteral("var url = %1;\n"
                          "var all = desktops();\n"
                          "for (var i = 0; i < all.length; ++i) {\n"
                          "    var d = all[i];\n"
                          "    d.wallpaperPlugin = 'org.kde.image';\n"
                          "    d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];\n"
                          "    d.writeConfig('FillMode', %2);\n"
                          "    d.writeConfig('Image', url);\n"
                          "}\n")
        .arg(scriptStringLiteral(url), QString::number(mode));
}

} // namespace

KdePlasmaBackend::KdePlasmaBackend(QDBusConnection bus) : m_bus(std::move(bus)) {}

ApplyResult KdePlasmaBackend::applyStyleThenFile(const QString& bitmapPath, WallpaperStyle style)
{
    if (!QFileInfo(bitmapPath).isFile())
        return failure(QStringLiteral("the bitmap \"%1\" does not exist").arg(bitmapPath));
    if (!m_bus.isConnected())
        return failure(QStringLiteral("no D-Bus session bus: %1").arg(m_bus.lastError().message()));

    // Plasma keeps showing its cached copy of a file rewritten at the same path.
    FreshBitmapCopy copy;
    QString error;
    const QString fresh = copy.prepare(bitmapPath, error);
    if (fresh.isEmpty())
        return failure(error);

    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
        QStringLiteral("org.kde.PlasmaShell"), QStringLiteral("evaluateScript"));
    call << wallpaperScript(QUrl::fromLocalFile(fresh).toString(QUrl::FullyEncoded), fillMode(style));
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        copy.finish(false);
        const QString message = reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
        return failure(QStringLiteral("the wallpaper was refused: %1").arg(message));
    }
    copy.finish(true);
    return {true, {}};
}
