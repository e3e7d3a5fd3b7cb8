// SPDX-License-Identifier: GPL-3.0-or-later
#include "MonitorPartFiles.h"

#include <QImage>
#include <QRegularExpression>
#include <QSaveFile>
#include <set>

namespace {

/**
 * A name for each monitor's part: output names are the system's, so only letters, digits and '_' go into
 * it, never digits alone (a number names a copy of the whole bitmap), and a name two monitors would share
 * gets the monitor's number too.
 */
QString partKey(const QString& outputName, int index, std::set<QString>& taken)
{
    QString key = outputName;
    key.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_]")), QStringLiteral("_"));
    static const QRegularExpression digitsOnly(QStringLiteral("^\\d*$"));
    if (digitsOnly.match(key).hasMatch() || taken.count(key) > 0)
        key = QStringLiteral("monitor%1_%2").arg(index + 1).arg(key);
    taken.insert(key);
    return key;
}

} // namespace

QStringList MonitorPartFiles::cut(const QString& bitmapPath, const QList<MonitorGeometry>& monitors,
                                  QString& error, const QString& folder)
{
    const QImage desktop(bitmapPath, "BMP");
    if (desktop.isNull()) {
        error = QStringLiteral("cannot read the wallpaper bitmap %1").arg(bitmapPath);
        return {};
    }
    QRect bounds;
    for (const MonitorGeometry& monitor : monitors)
        bounds |= monitor.place;
    m_copies.begin(bitmapPath, folder);
    std::set<QString> taken;
    QStringList fresh;
    for (int i = 0; i < monitors.size(); ++i) {
        const MonitorGeometry& monitor = monitors.at(i);
        const QString part = m_copies.path(partKey(monitor.name, i, taken));
        QSaveFile file(part);
        if (!file.open(QIODevice::WriteOnly) ||
            !desktop.copy(monitor.place.translated(-bounds.topLeft())).save(&file, "BMP") || !file.commit()) {
            error = QStringLiteral("cannot write the bitmap of monitor %1 to %2: %3")
                        .arg(monitor.name, part, file.errorString());
            return {};
        }
        fresh.append(part);
    }
    return fresh;
}

void MonitorPartFiles::finish(bool applied)
{
    m_copies.finish(applied);
}
