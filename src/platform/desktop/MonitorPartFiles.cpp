// SPDX-License-Identifier: GPL-3.0-or-later
#include "MonitorPartFiles.h"

#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QSaveFile>
#include <set>

namespace {

/**
 * A name for each monitor's part, "<bitmap>-<output>": output names are the system's, so only letters,
 * digits and '_' go into it, never digits alone ("tessaly-2" is a fresh copy of the whole bitmap), and a
 * name two monitors would share gets the monitor's number instead.
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
    const QFileInfo whole(bitmapPath);
    std::set<QString> taken;
    QStringList fresh;
    for (int i = 0; i < monitors.size(); ++i) {
        const MonitorGeometry& monitor = monitors.at(i);
        const QString key = whole.completeBaseName() + QLatin1Char('-') + partKey(monitor.name, i, taken);
        const QString part = whole.absolutePath() + QLatin1Char('/') + key + QStringLiteral(".bmp");
        // Replaced by a rename, never rewritten in place: the part saved last time is still linked to the
        // copy on screen.
        QSaveFile file(part);
        if (!file.open(QIODevice::WriteOnly) ||
            !desktop.copy(monitor.place.translated(-bounds.topLeft())).save(&file, "BMP") || !file.commit()) {
            error = QStringLiteral("cannot write the bitmap of monitor %1 to %2: %3")
                        .arg(monitor.name, part, file.errorString());
            return {};
        }
        const QString copy = m_copies[key].prepare(part, error, folder);
        if (copy.isEmpty())
            return {};
        fresh.append(copy);
    }
    return fresh;
}

void MonitorPartFiles::finish(bool applied)
{
    for (auto& copies : m_copies)
        copies.second.finish(applied);
}
