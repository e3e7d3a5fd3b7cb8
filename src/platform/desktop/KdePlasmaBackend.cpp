// SPDX-License-Identifier: GPL-3.0-or-later
#include "KdePlasmaBackend.h"

#include <QDBusMessage>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

const QString kWho = QStringLiteral("KDE Plasma");
constexpr int kCallTimeoutMs = 30000;

ApplyResult failure(const QString& what)
{
    return {false, kWho + QStringLiteral(": ") + what};
}

int fillMode(const QString& style)
{
    if (style == QLatin1String("Center"))
        return 6;
    if (style == QLatin1String("Tile"))
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

/**
 * The bitmap under whichever of two alternate names Plasma is not showing now: Plasma keeps showing its
 * cached copy of a file that was rewritten at the same path, so every change must hand it a new one.
 * Exactly one alternate is left once the change is settled.
 */
class AlternateName
{
public:
    explicit AlternateName(const QString& bitmapPath)
    {
        const QFileInfo info(bitmapPath);
        const QString stem = info.absolutePath() + QLatin1Char('/') + info.completeBaseName();
        const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
        const QString a = stem + QStringLiteral("-a") + suffix;
        const QString b = stem + QStringLiteral("-b") + suffix;
        const bool aShown = QFileInfo::exists(a);
        m_fresh = aShown ? b : a;
        m_shown = aShown ? a : b;
    }

    /** Puts the bitmap at the fresh name (a hard link, else a copy); empty on success, else why not. */
    QString make(const QString& bitmapPath) const
    {
        QFile::remove(m_fresh);
        if (::link(QFile::encodeName(bitmapPath).constData(), QFile::encodeName(m_fresh).constData()) == 0)
            return {};
        const int linkError = errno;
        if (QFile::copy(bitmapPath, m_fresh))
            return {};
        return QStringLiteral("cannot make \"%1\": %2")
            .arg(m_fresh, QString::fromLocal8Bit(std::strerror(linkError)));
    }

    const QString& fresh() const { return m_fresh; }
    void keepFresh() const { QFile::remove(m_shown); }
    void dropFresh() const { QFile::remove(m_fresh); }

private:
    QString m_fresh;
    QString m_shown;
};

} // namespace

KdePlasmaBackend::KdePlasmaBackend(QDBusConnection bus) : m_bus(std::move(bus)) {}

ApplyResult KdePlasmaBackend::apply(const QString& bitmapPath, QString& style)
{
    if (style != QLatin1String("Center") && style != QLatin1String("Tile") &&
        style != QLatin1String("Stretch"))
        style = QStringLiteral("Stretch");
    return applyNormalised(bitmapPath, style);
}

ApplyResult KdePlasmaBackend::applyNormalised(const QString& bitmapPath, const QString& style)
{
    if (!QFileInfo(bitmapPath).isFile())
        return failure(QStringLiteral("the bitmap \"%1\" does not exist").arg(bitmapPath));
    if (!m_bus.isConnected())
        return failure(QStringLiteral("no D-Bus session bus: %1").arg(m_bus.lastError().message()));

    const AlternateName alternate(bitmapPath);
    if (const QString error = alternate.make(bitmapPath); !error.isEmpty())
        return failure(error);

    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
        QStringLiteral("org.kde.PlasmaShell"), QStringLiteral("evaluateScript"));
    call << wallpaperScript(QUrl::fromLocalFile(alternate.fresh()).toString(QUrl::FullyEncoded),
                            fillMode(style));
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        alternate.dropFresh();
        const QString message = reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
        return failure(QStringLiteral("the wallpaper was refused: %1").arg(message));
    }
    alternate.keepFresh();
    return {true, {}};
}
