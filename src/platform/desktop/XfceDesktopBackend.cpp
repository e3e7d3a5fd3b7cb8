// SPDX-License-Identifier: GPL-3.0-or-later
#include "XfceDesktopBackend.h"

#include <QRegularExpression>
#include <algorithm>
#include <utility>

namespace {

const QString Tool = QStringLiteral("xfconf-query");
const QString Channel = QStringLiteral("xfce4-desktop");
// xfwm4's own default when its channel has no count stored.
constexpr int DefaultWorkspaceCount = 4;

QString folderName(const QString& output, int workspace)
{
    return QStringLiteral("/backdrop/screen0/monitor%1/workspace%2").arg(output).arg(workspace);
}

int imageStyleFor(WallpaperStyle style)
{
    switch (style) {
    case WallpaperStyle::Center:
        return 1;
    case WallpaperStyle::Tile:
        return 2;
    case WallpaperStyle::Stretch:
    case WallpaperStyle::Span:
        break;
    }
    return 3;
}

/**
 * The backdrop folders to write: the ones the listed properties show, plus every workspace of each output
 * that has none yet. `workspaceCount` is used only when no property names a workspace.
 */
QStringList backdropFolders(const QStringList& properties, const QStringList& outputs, int workspaceCount)
{
    static const QRegularExpression backdrop(
        QStringLiteral("^/backdrop/screen0/monitor([^/]+)/workspace(\\d+)/"));
    QStringList folders;
    QStringList knownOutputs;
    QList<int> workspaces;
    for (const QString& property : properties) {
        const QRegularExpressionMatch match = backdrop.match(property);
        if (!match.hasMatch())
            continue;
        const int workspace = match.captured(2).toInt();
        const QString folder = folderName(match.captured(1), workspace);
        if (!folders.contains(folder))
            folders.append(folder);
        if (!knownOutputs.contains(match.captured(1)))
            knownOutputs.append(match.captured(1));
        if (!workspaces.contains(workspace))
            workspaces.append(workspace);
    }
    if (workspaces.isEmpty()) {
        for (int workspace = 0; workspace < workspaceCount; ++workspace)
            workspaces.append(workspace);
    }
    std::sort(workspaces.begin(), workspaces.end());
    for (const QString& output : outputs) {
        if (knownOutputs.contains(output))
            continue;
        for (const int workspace : std::as_const(workspaces))
            folders.append(folderName(output, workspace));
    }
    return folders;
}

} // namespace

XfceDesktopBackend::XfceDesktopBackend(QStringList outputNames)
    : m_runner(QStringLiteral("XFCE")), m_outputs(std::move(outputNames))
{}

Result<> XfceDesktopBackend::applyStyleThenFiles(const QStringList& files, WallpaperStyle style)
{
    const ToolRunner::Outcome listed =
        m_runner.run(Tool, {QStringLiteral("-c"), Channel, QStringLiteral("-l")});
    if (!listed.ok)
        return Failure::because(listed.reason);
    const QStringList properties = listed.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const bool namesWorkspaces = std::any_of(properties.cbegin(), properties.cend(), [](const QString& p) {
        return p.startsWith(QLatin1String("/backdrop/screen0/monitor"));
    });
    // Monitors plugged in since the start count too.
    QStringList outputs = m_outputs;
    for (const MonitorGeometry& monitor : monitors()) {
        if (!monitor.name.isEmpty() && !outputs.contains(monitor.name))
            outputs.append(monitor.name);
    }
    const QStringList folders =
        backdropFolders(properties, outputs, namesWorkspaces ? DefaultWorkspaceCount : workspaceCount());
    if (folders.isEmpty())
        return Failure::because(QStringLiteral("XFCE: no monitor found to set the backdrop of"));

    // A part made for its monitor lies on it 1:1 when stretched.
    const std::map<QString, QString> shown = filesPerFolder(files, folders);
    const QString styleValue = QString::number(imageStyleFor(style));
    for (const auto& [folder, file] : shown) {
        if (Result<> set =
                setProperty(folder + QStringLiteral("/image-style"), QStringLiteral("int"), styleValue);
            !set)
            return set;
    }
    for (const auto& [folder, file] : shown) {
        if (Result<> set =
                setProperty(folder + QStringLiteral("/last-image"), QStringLiteral("string"), file);
            !set)
            return set;
    }
    return {};
}

std::map<QString, QString> XfceDesktopBackend::filesPerFolder(const QStringList& files,
                                                              const QStringList& folders) const
{
    std::map<QString, QString> shown;
    if (files.size() <= 1) {
        for (const QString& folder : folders)
            shown[folder] = files.value(0);
        return shown;
    }
    for (qsizetype i = 0; i < files.size() && i < monitors().size(); ++i) {
        const QString prefix = QStringLiteral("/backdrop/screen0/monitor%1/").arg(monitors().at(i).name);
        for (const QString& folder : folders) {
            if (folder.startsWith(prefix))
                shown[folder] = files.at(i);
        }
    }
    return shown;
}

int XfceDesktopBackend::workspaceCount() const
{
    const ToolRunner::Outcome count =
        m_runner.run(Tool,
                     {QStringLiteral("-c"), QStringLiteral("xfwm4"), QStringLiteral("-p"),
                      QStringLiteral("/general/workspace_count")},
                     ToolRunner::ErrorOutput::Ignored);
    bool ok = false;
    const int value = count.output.trimmed().toInt(&ok);
    return count.ok && ok && value > 0 ? value : DefaultWorkspaceCount;
}

Result<> XfceDesktopBackend::setProperty(const QString& property, const QString& type,
                                         const QString& value) const
{
    // -n creates the property on a fresh profile and is harmless on an existing one.
    const ToolRunner::Outcome set =
        m_runner.run(Tool, {QStringLiteral("-c"), Channel, QStringLiteral("-p"), property,
                            QStringLiteral("-n"), QStringLiteral("-t"), type, QStringLiteral("-s"), value});
    if (!set.ok)
        return Failure::because(set.reason);
    return {};
}
