// SPDX-License-Identifier: GPL-3.0-or-later
#include "FreshBitmapCopy.h"

#include "FileSystem.h"
#include "FolderPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <filesystem>
#include <optional>
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
    bool digitsOnly = true;
    for (QChar& c : key) {
        const char16_t u = c.unicode();
        const bool digit = u >= u'0' && u <= u'9';
        if (!digit && !(u >= u'A' && u <= u'Z') && !(u >= u'a' && u <= u'z') && u != u'_')
            c = QLatin1Char('_');
        digitsOnly = digitsOnly && digit;
    }
    if (digitsOnly || taken.count(key) > 0)
        key = QStringLiteral("monitor%1_%2").arg(index + 1).arg(key);
    taken.insert(key);
    return key;
}

bool isNameCharacter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || u == u'_';
}

/**
 * The number of a copy named "<base>-<n><suffix>" or "<base>-<part>-<n><suffix>" (n of up to 18 digits, the
 * part of letters, digits and '_', never digits alone); nothing for any other name. Parsed by hand: a
 * regular expression's per-thread state has left a Windows process hanging at its end.
 */
std::optional<qulonglong> copyNumber(const QString& name, const QString& base, const QString& suffix)
{
    const qsizetype start = base.size() + 1;
    const qsizetype length = name.size() - start - suffix.size();
    if (length <= 0 || !name.startsWith(base + QLatin1Char('-')) || !name.endsWith(suffix))
        return std::nullopt;
    const QString middle = name.mid(start, length);
    const qsizetype dash = middle.lastIndexOf(QLatin1Char('-'));
    const QString digits = middle.mid(dash + 1);
    const QString part = dash < 0 ? QString() : middle.left(dash);
    const auto isDigit = [](QChar c) {
        return c.unicode() >= u'0' && c.unicode() <= u'9';
    };
    if (digits.isEmpty() || digits.size() > 18 || !std::all_of(digits.cbegin(), digits.cend(), isDigit))
        return std::nullopt;
    if (dash >= 0 && (part.isEmpty() || !std::all_of(part.cbegin(), part.cend(), isNameCharacter) ||
                      std::all_of(part.cbegin(), part.cend(), isDigit)))
        return std::nullopt;
    return digits.toULongLong();
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
    const Result<QStringList> listed = m_files.listFolder(m_folder);
    if (!listed)
        return listed.failure().prefixed(
            QStringLiteral("cannot read the folder %1: ").arg(QDir::toNativeSeparators(m_folder)));
    const QStringList& names = listed.value();
    // One numbering for the whole bitmap and every part: a name is never handed out twice, even when the
    // monitors change and the copies of the other kind are all gone.
    qulonglong highest = 0;
    for (const QString& name : std::as_const(names)) {
        const std::optional<qulonglong> number = copyNumber(name, m_baseName, m_suffix);
        if (!number)
            continue;
        // After a successful change only the copies on screen are left. More are left by a run killed while
        // the desktop took its copy, and any of them may be on screen: they stay until a change is applied.
        m_previous.append(m_folder + name);
        highest = std::max(highest, *number);
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
            (void)m_files.remove(copy); // one left behind goes at a later change
    }
    m_begun = false;
    m_previous.clear();
}
