// SPDX-License-Identifier: GPL-3.0-or-later
#include "MonitorParts.h"

#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>

std::map<QString, QString> MonitorParts::cut(const QString& bitmapPath,
                                             const QList<MonitorGeometry>& monitors, QString& error,
                                             const QString& folder)
{
    const QImage desktop(bitmapPath, "BMP");
    if (desktop.isNull()) {
        error = QStringLiteral("cannot read the wallpaper bitmap %1").arg(bitmapPath);
        return {};
    }
    QRect bounds;
    for (const MonitorGeometry& monitor : monitors)
        bounds |= monitor.place;
    const QFileInfo whole(bitmapPath);
    std::map<QString, QString> files;
    for (const MonitorGeometry& monitor : monitors) {
        // Output names are the system's; only letters, digits, '-' and '_' go into a file name.
        QString safe = monitor.name;
        safe.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_-]")), QStringLiteral("_"));
        const QString part =
            whole.absolutePath() + QStringLiteral("/%1-%2.bmp").arg(whole.completeBaseName(), safe);
        if (!desktop.copy(monitor.place.translated(-bounds.topLeft())).save(part, "BMP")) {
            error = QStringLiteral("cannot write the bitmap of monitor %1 to %2").arg(monitor.name, part);
            return {};
        }
        const QString fresh = m_copies[safe].prepare(part, error, folder);
        if (fresh.isEmpty())
            return {};
        files[monitor.name] = fresh;
    }
    return files;
}

void MonitorParts::finish(bool applied)
{
    for (auto& copies : m_copies)
        copies.second.finish(applied);
}
