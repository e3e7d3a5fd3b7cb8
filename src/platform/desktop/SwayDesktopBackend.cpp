// SPDX-License-Identifier: GPL-3.0-or-later
#include "SwayDesktopBackend.h"

#include "FileSystem.h"
#include "NativeSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

/** Whether sway's command parser and file-name expansion leave this path as it is. */
bool isPlainPath(const QString& path)
{
    static const QRegularExpression plain(QStringLiteral("^/[A-Za-z0-9/._+@:-]*$"));
    return plain.match(path).hasMatch();
}

/** One of sway's outputs as `swaymsg -t get_outputs` reports it, its place in sway's logical pixels. */
struct SwayOutput
{
    QString name;
    QRect place;
};

QList<SwayOutput> activeOutputs(const QString& json)
{
    QList<SwayOutput> outputs;
    for (const QJsonValue& value : QJsonDocument::fromJson(json.toUtf8()).array()) {
        const QJsonObject output = value.toObject();
        const QJsonObject rect = output.value(QStringLiteral("rect")).toObject();
        if (output.value(QStringLiteral("active")).toBool())
            outputs.append(
                {output.value(QStringLiteral("name")).toString(),
                 QRect(rect.value(QStringLiteral("x")).toInt(), rect.value(QStringLiteral("y")).toInt(),
                       rect.value(QStringLiteral("width")).toInt(),
                       rect.value(QStringLiteral("height")).toInt())});
    }
    return outputs;
}

/**
 * The sway output a monitor is. Under Qt's Wayland plugin each screen carries sway's output name. On
 * Xwayland, where Qt runs unless its Wayland plugin is installed, the screens are XWAYLAND0, XWAYLAND1…
 * in no promised order, but each lies exactly where sway lays its output out, in sway's logical pixels at
 * ratio 1 (seen on sway 1.7 with two outputs of different sizes): there the place tells which is which.
 */
QString outputFor(const MonitorGeometry& monitor, const QList<SwayOutput>& outputs)
{
    for (const SwayOutput& output : outputs) {
        if (output.name == monitor.name)
            return output.name;
    }
    for (const SwayOutput& output : outputs) {
        if (output.place == monitor.place)
            return output.name;
    }
    return {};
}

} // namespace

SwayDesktopBackend::SwayDesktopBackend(QString plainFolder)
    : m_runner(QStringLiteral("sway")), m_plainFolder(std::move(plainFolder))
{}

ApplyResult SwayDesktopBackend::applyStyleThenFile(const QString& bitmapPath, WallpaperStyle style)
{
    const QFileInfo bitmap(bitmapPath);
    if (!bitmap.isFile()) {
        return {false, QStringLiteral("sway: the wallpaper bitmap %1 cannot be found")
                           .arg(QDir::toNativeSeparators(bitmapPath))};
    }
    QString folder, error;
    if (!copyFolder(bitmap.absoluteFilePath(), folder, error))
        return {false, QStringLiteral("sway: ") + error};
    if (style == WallpaperStyle::Span)
        return applyPerOutput(bitmapPath, folder);

    // swaybg reads the file afresh each time: a plain path needs no copy, but the monitors' parts from
    // before still go once it shows.
    QString file = bitmap.absoluteFilePath();
    if (folder.isEmpty())
        m_copies.begin(file);
    else
        file = m_copies.prepare(bitmapPath, error, folder);
    if (file.isEmpty())
        return {false, QStringLiteral("sway: ") + error};
    const ApplyResult set = setBackgrounds({{QStringLiteral("*"), file}}, styleWord(style).toLower());
    m_copies.finish(set.ok);
    return set;
}

bool SwayDesktopBackend::copyFolder(const QString& bitmapPath, QString& folder, QString& error) const
{
    folder.clear();
    if (isPlainPath(bitmapPath))
        return true;
    if (!isPlainPath(QDir(m_plainFolder).absolutePath())) {
        error = QStringLiteral("the bitmap's path %1 cannot be passed to sway safely, and there is no plain "
                               "folder to copy it to")
                    .arg(bitmapPath);
        return false;
    }
    if (const Result<> made = NativeSystem::fileSystem().makeFolders(m_plainFolder); !made) {
        error = QStringLiteral("the bitmap's path %1 cannot be passed to sway safely, and the folder %2 to "
                               "copy it to cannot be made: %3")
                    .arg(bitmapPath, made.failure().path, made.reason());
        return false;
    }
    folder = QDir(m_plainFolder).absolutePath();
    return true;
}

ApplyResult SwayDesktopBackend::applyPerOutput(const QString& bitmapPath, const QString& folder)
{
    const ToolRunner::Outcome listed =
        m_runner.run(QStringLiteral("swaymsg"), {QStringLiteral("-t"), QStringLiteral("get_outputs")});
    if (!listed.ok)
        return {false, listed.reason};
    const QList<SwayOutput> outputs = activeOutputs(listed.output);
    static const QRegularExpression plainName(QStringLiteral("^[A-Za-z0-9._-]+$"));
    QList<std::pair<QString, QString>> backgrounds; // output name, its part
    for (const MonitorGeometry& monitor : monitors()) {
        const QString output = outputFor(monitor, outputs);
        if (output.isEmpty()) {
            const QRect place = monitor.place;
            return {false,
                    QStringLiteral("sway: none of its outputs lies where monitor %1 does (%2×%3 at %4,%5)")
                        .arg(monitor.name)
                        .arg(place.width())
                        .arg(place.height())
                        .arg(place.x())
                        .arg(place.y())};
        }
        if (!plainName.match(output).hasMatch())
            return {
                false,
                QStringLiteral("sway: the output name \"%1\" cannot be passed to sway safely").arg(output)};
        backgrounds.append({output, QString()});
    }
    QString error;
    const QStringList parts = m_parts.cut(bitmapPath, monitors(), error, folder);
    if (parts.isEmpty())
        return {false, QStringLiteral("sway: ") + error};
    for (qsizetype i = 0; i < backgrounds.size(); ++i)
        backgrounds[i].second = parts.at(i);
    // Each part is made for its output in the output's own pixels: stretched, it lies there 1:1.
    const ApplyResult set = setBackgrounds(backgrounds, QStringLiteral("stretch"));
    m_parts.finish(set.ok);
    return set;
}

ApplyResult SwayDesktopBackend::setBackgrounds(const QList<std::pair<QString, QString>>& backgrounds,
                                               const QString& mode) const
{
    // swaymsg joins its arguments into one message; each piece here is a plain word, and sway runs the
    // commands between the ";" one by one, all in this one step.
    QStringList arguments{QStringLiteral("--")};
    for (const auto& [output, file] : backgrounds) {
        if (arguments.size() > 1)
            arguments.append(QStringLiteral(";"));
        arguments << QStringLiteral("output") << output << QStringLiteral("bg") << file << mode
                  << QStringLiteral("#000000");
    }
    const ToolRunner::Outcome set = m_runner.run(QStringLiteral("swaymsg"), arguments);
    if (set.ok)
        return {true, {}};
    // sway explains a refused command in its JSON reply, one per command; that says more than the exit code.
    const QJsonArray replies = QJsonDocument::fromJson(set.output.toUtf8()).array();
    for (qsizetype i = 0; i < replies.size() && i < backgrounds.size(); ++i) {
        const QString error = replies.at(i).toObject().value(QStringLiteral("error")).toString();
        if (!error.isEmpty())
            return {false,
                    QStringLiteral("sway: output %1 bg was refused: %2").arg(backgrounds.at(i).first, error)};
    }
    return {false, set.reason};
}
