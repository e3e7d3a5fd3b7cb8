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
#include <utility>

namespace {

/** Whether sway's command parser and file-name expansion leave this path as it is. */
bool isPlainPath(const QString& path)
{
    static const QRegularExpression plain(QStringLiteral("^/[A-Za-z0-9/._+@:-]*$"));
    return plain.match(path).hasMatch();
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
    QString file = bitmap.absoluteFilePath();
    if (!isPlainPath(file)) {
        if (!isPlainPath(QDir(m_plainFolder).absolutePath())) {
            return {false, QStringLiteral("sway: the bitmap's path %1 cannot be passed to sway safely, and "
                                          "there is no plain folder to copy it to")
                               .arg(file)};
        }
        QString failed;
        if (const int error = NativeSystem::fileSystem().makeFolders(m_plainFolder, &failed)) {
            return {false, QStringLiteral("sway: the bitmap's path %1 cannot be passed to sway safely, and "
                                          "the folder %2 to copy it to cannot be made: %3")
                               .arg(file, failed, NativeSystem::fileSystem().errorText(error))};
        }
        QString error;
        file = m_copies.prepare(bitmapPath, error, m_plainFolder);
        if (file.isEmpty())
            return {false, QStringLiteral("sway: ") + error};
    }
    // swaymsg joins its arguments into one command; each piece here is a plain word.
    const ToolRunner::Outcome set =
        m_runner.run(QStringLiteral("swaymsg"),
                     {QStringLiteral("--"), QStringLiteral("output"), QStringLiteral("*"),
                      QStringLiteral("bg"), file, styleWord(style).toLower(), QStringLiteral("#000000")});
    m_copies.finish(set.ok); // nothing to do where no copy was made
    if (set.ok)
        return {true, {}};
    // sway explains a refused command in its JSON reply; that says more than the exit code.
    const QJsonArray replies = QJsonDocument::fromJson(set.output.toUtf8()).array();
    for (const QJsonValue& reply : replies) {
        const QString error = reply.toObject().value(QStringLiteral("error")).toString();
        if (!error.isEmpty())
            return {false, QStringLiteral("sway: output * bg was refused: ") + error};
    }
    return {false, set.reason};
}
