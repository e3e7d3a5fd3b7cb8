// SPDX-License-Identifier: GPL-3.0-or-later
#include "FreshBitmapCopy.h"

#include "FileSystem.h"
#include "FolderPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

namespace {

/**
 * A name for each monitor's part: output names are the system's, so only letters, digits and '_' go into
 * it, never digits alone (a number names a copy of the whole bitmap), and a name two monitors would share
 * gets the monitor's number too.
 */
QString partKey(const QString& outputName, qsizetype index, std::set<QString>& taken)
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

FreshBitmapCopy::FreshBitmapCopy(FileSystem& files) : m_files(files) {}

Result<> FreshBitmapCopy::begin(const QString& bitmapPath, const QString& folder)
{
    const QFileInfo source(bitmapPath);
    m_begun = false;
    m_bitmapPath = source.absoluteFilePath();
    m_folder = FolderPath::withTrailingSeparator(folder.isEmpty() ? source.absolutePath()
                                                                  : QDir(folder).absolutePath());
    m_baseName = source.completeBaseName();
    m_suffix = source.suffix().isEmpty() ? QString() : QStringLiteral(".") + source.suffix();
    m_previous.clear();
    QStringList names;
    if (const int error = m_files.listFolder(m_folder, &names))
        return Failure::because(QStringLiteral("cannot read the folder %1: %2")
                                    .arg(QDir::toNativeSeparators(m_folder), m_files.errorText(error)));
    // One numbering for the whole bitmap and every part: a name is never handed out twice, even when the
    // monitors change and the copies of the other kind are all gone.
    const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(m_baseName) +
        QStringLiteral("-(?:[A-Za-z0-9_]*[A-Za-z_][A-Za-z0-9_]*-)?(\\d{1,18})") +
        QRegularExpression::escape(m_suffix)));
    qulonglong highest = 0;
    for (const QString& name : std::as_const(names)) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (!match.hasMatch())
            continue;
        // After a successful change only the copies on screen are left. More are left by a run killed while
        // the desktop took its copy, and any of them may be on screen: they stay until a change is applied.
        m_previous.append(m_folder + name);
        highest = std::max(highest, match.captured(1).toULongLong());
    }
    m_number = highest + 1;
    m_begun = true;
    return {};
}

QString FreshBitmapCopy::named(const QString& part) const
{
    const QString middle = part.isEmpty() ? QString() : part + QLatin1Char('-');
    return m_folder + m_baseName + QLatin1Char('-') + middle + QString::number(m_number) + m_suffix;
}

QString FreshBitmapCopy::path() const
{
    return named({});
}

QStringList FreshBitmapCopy::partPaths(const QList<MonitorGeometry>& monitors) const
{
    std::set<QString> taken;
    QStringList paths;
    for (qsizetype i = 0; i < monitors.size(); ++i)
        paths.append(named(partKey(monitors.at(i).name, i, taken)));
    return paths;
}

Result<QString> FreshBitmapCopy::link()
{
    const QString fresh = path();
    // The bitmap is always replaced by a rename, never rewritten in place, so a second link to it keeps
    // this change's picture.
    std::error_code linkError;
    std::filesystem::create_hard_link(QFile::encodeName(m_bitmapPath).toStdString(),
                                      QFile::encodeName(fresh).toStdString(), linkError);
    if (linkError) {
        QFile copy(m_bitmapPath);
        if (!copy.copy(fresh)) {
            m_begun = false;
            return Failure::because(QStringLiteral("cannot copy the wallpaper bitmap to %1: %2")
                                        .arg(QDir::toNativeSeparators(fresh), copy.errorString()));
        }
    }
    return fresh;
}

void FreshBitmapCopy::finish(bool applied)
{
    // After a failure every copy stays: the desktop may show the new one when only a later step failed,
    // and a name it was handed once must not come again.
    if (applied && m_begun) {
        for (const QString& copy : std::as_const(m_previous))
            m_files.remove(copy);
    }
    m_begun = false;
    m_previous.clear();
}
