// SPDX-License-Identifier: GPL-3.0-or-later
#include "GSettingsDesktopBackend.h"

#include <QUrl>
#include <optional>
#include <utility>

namespace {

const QString Tool = QStringLiteral("gsettings");
const QString StyleKey = QStringLiteral("picture-options");

QString optionFor(WallpaperStyle style)
{
    switch (style) {
    case WallpaperStyle::Center:
        return QStringLiteral("centered");
    case WallpaperStyle::Tile:
        return QStringLiteral("wallpaper");
    case WallpaperStyle::Span:
        return QStringLiteral("spanned");
    case WallpaperStyle::Stretch:
        break;
    }
    return QStringLiteral("stretched");
}

/** A text as a GVariant string literal, which `gsettings set` parses exactly. */
QString quoted(const QString& text)
{
    QString literal = QStringLiteral("'");
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('\''))
            literal += QLatin1Char('\\') + QString(c);
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            literal += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            literal += c;
    }
    return literal + QLatin1Char('\'');
}

/** The text of a GVariant string literal as `gsettings get` prints it; nothing if it is not one. */
std::optional<QString> unquoted(const QString& literal)
{
    if (literal.size() < 2 || literal.back() != literal.front() ||
        (literal.front() != QLatin1Char('\'') && literal.front() != QLatin1Char('"')))
        return std::nullopt;
    QString text;
    const qsizetype end = literal.size() - 1;
    for (qsizetype i = 1; i < end; ++i) {
        const QChar c = literal.at(i);
        if (c != QLatin1Char('\\')) {
            text += c;
            continue;
        }
        if (++i >= end)
            return std::nullopt;
        const QChar e = literal.at(i);
        const int width = e == QLatin1Char('u') ? 4 : e == QLatin1Char('U') ? 8 : 0;
        if (width > 0) {
            bool ok = false;
            const char32_t code = literal.mid(i + 1, width).toUInt(&ok, 16);
            if (!ok || i + width >= end)
                return std::nullopt;
            text += QString::fromUcs4(&code, 1);
            i += width;
            continue;
        }
        static const QString plain = QStringLiteral("abfnrtv");
        static const QString controls = QStringLiteral("\a\b\f\n\r\t\v");
        const qsizetype special = plain.indexOf(e);
        text += special >= 0 ? controls.at(special) : e;
    }
    return text;
}

} // namespace

std::unique_ptr<DesktopBackend> GSettingsDesktopBackend::gnome()
{
    return std::make_unique<GSettingsDesktopBackend>(
        QStringLiteral("gnome"), QStringLiteral("GNOME"),
        Keys{"org.gnome.desktop.background", "picture-uri", "picture-uri-dark", true});
}

std::unique_ptr<DesktopBackend> GSettingsDesktopBackend::cinnamon()
{
    return std::make_unique<GSettingsDesktopBackend>(
        QStringLiteral("cinnamon"), QStringLiteral("Cinnamon"),
        Keys{"org.cinnamon.desktop.background", "picture-uri", nullptr, true});
}

std::unique_ptr<DesktopBackend> GSettingsDesktopBackend::mate()
{
    return std::make_unique<GSettingsDesktopBackend>(
        QStringLiteral("mate"), QStringLiteral("MATE"),
        Keys{"org.mate.background", "picture-filename", nullptr, false});
}

GSettingsDesktopBackend::GSettingsDesktopBackend(QString name, const QString& desktop, Keys keys)
    : m_name(std::move(name)), m_runner(desktop), m_schema(QString::fromLatin1(keys.schema)), m_keys(keys)
{}

Result<> GSettingsDesktopBackend::applyStyleThenFiles(const QStringList& files, WallpaperStyle style)
{
    const ToolRunner::Outcome listed = m_runner.run(Tool, {QStringLiteral("list-keys"), m_schema});
    if (!listed.ok)
        return Failure::because(listed.reason);
    const QStringList present = listed.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList fileKeys{QString::fromLatin1(m_keys.fileKey)};
    for (const QString& key : {fileKeys.constFirst(), StyleKey}) {
        if (!present.contains(key))
            return failure(QStringLiteral("the settings schema %1 has no key %2").arg(m_schema, key));
    }
    if (m_keys.newerFileKey != nullptr && present.contains(QLatin1String(m_keys.newerFileKey)))
        fileKeys.append(QString::fromLatin1(m_keys.newerFileKey));

    const QString file = files.value(0);
    const QString fileValue =
        m_keys.fileAsUri ? QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded) : file;
    if (Result<> set = setAndVerify(StyleKey, optionFor(style)); !set)
        return set;
    for (const QString& key : std::as_const(fileKeys)) {
        if (Result<> set = setAndVerify(key, fileValue); !set)
            return set;
    }
    return {};
}

Result<> GSettingsDesktopBackend::setAndVerify(const QString& key, const QString& value) const
{
    const ToolRunner::Outcome set = m_runner.run(Tool, {QStringLiteral("set"), m_schema, key, quoted(value)});
    const ToolRunner::Outcome got = set.ok ? m_runner.run(Tool, {QStringLiteral("get"), m_schema, key}) : set;
    if (!got.ok)
        return Failure::because(got.reason);
    if (unquoted(got.output.trimmed()) != value)
        return failure(
            QStringLiteral("%1 %2 did not keep the value written (is the settings service running?)")
                .arg(m_schema, key));
    return {};
}

Failure GSettingsDesktopBackend::failure(const QString& reason) const
{
    return Failure::because(m_runner.desktop() + QStringLiteral(": ") + reason);
}
