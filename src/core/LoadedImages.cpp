// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoadedImages.h"

#include "IniEncoding.h"
#include "IniSyntax.h"
#include "SettingValue.h"
#include "SettingsFile.h"
#include "SettingsSaveReport.h"
#include "SettingsSchema.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

QString pathsSection()
{
    return SettingsSchema::section(SettingsSchema::ListSection::Paths);
}

QString captionsSection()
{
    return SettingsSchema::section(SettingsSchema::ListSection::Captions);
}

/** The valid positions, in order, once each, as runs of neighbours: {first, last} pairs. */
QList<std::pair<int, int>> runsOf(QList<int> positions, int count)
{
    std::sort(positions.begin(), positions.end());
    QList<std::pair<int, int>> runs;
    for (const int p : std::as_const(positions)) {
        if (p < 0 || p >= count)
            continue;
        if (!runs.isEmpty() && p <= runs.last().second + 1)
            runs.last().second = std::max(runs.last().second, p);
        else
            runs.append({p, p});
    }
    return runs;
}

} // namespace

int LoadedImages::storedCount(const QString& totalText)
{
    const std::optional<double> total = SettingValue::toNumber(totalText);
    if (!total)
        return 0;
    // The last position is total - 1 rounded half to even, so "2.5" gives positions 0..2.
    const double last = std::nearbyint(*total - 1.0);
    if (last < 0)
        return 0;
    return static_cast<int>(std::min<double>(last + 1.0, LoadedImages::MaxEntries));
}

LoadedImages::LoadedImages(QObject* parent) : QAbstractListModel(parent) {}

QString LoadedImages::loadFromSettings(SettingsFile& file)
{
    const QString totalText = SettingsSchema::read(file, &Settings::total);
    const int count = storedCount(totalText);
    beginResetModel();
    m_paths = file.readList(pathsSection(), count);
    m_captions = file.readList(captionsSection(), count);
    endResetModel();
    m_savedPaths = m_paths;
    m_savedCaptions = m_captions;
    return totalText;
}

QList<IniEdit> LoadedImages::listEdits(QByteArrayList paths, QByteArrayList captions, QStringList* leftOut)
{
    const auto storable = [](const QByteArray& utf8) {
        return IniSyntax::valueProblem(utf8).isEmpty();
    };
    // Only when an entry must be left out do the lists stop sharing their text with the caller's.
    for (qsizetype i = paths.size() - 1; i >= 0; --i) {
        if (storable(paths.at(i)) && storable(captions.at(i)))
            continue;
        if (leftOut)
            leftOut->prepend(IniEncoding::toText(paths.at(i)));
        paths.removeAt(i);
        captions.removeAt(i);
    }
    const QString count = QString::number(paths.size());
    return {SettingsSchema::edit(&Settings::total, count), IniEdit::removeSection(pathsSection()),
            IniEdit::writeList(pathsSection(), std::move(paths)), IniEdit::removeSection(captionsSection()),
            IniEdit::writeList(captionsSection(), std::move(captions))};
}

Result<> LoadedImages::saveList(SettingsFile& file, QByteArrayList paths, QByteArrayList captions,
                                QStringList* leftOut)
{
    return file.apply(listEdits(std::move(paths), std::move(captions), leftOut));
}

Result<> LoadedImages::replaceSaved(SettingsFile& file, const QStringList& paths, const QStringList& captions,
                                    const QList<IniEdit>& more)
{
    QByteArrayList utf8Paths, utf8Captions;
    utf8Paths.reserve(paths.size());
    utf8Captions.reserve(captions.size());
    for (qsizetype i = 0; i < paths.size(); ++i) {
        utf8Paths.append(paths.at(i).toUtf8());
        utf8Captions.append(captions.value(i).toUtf8());
    }
    if (Result<> saved = file.apply(listEdits(utf8Paths, utf8Captions, nullptr) + more); !saved)
        return saved;
    beginResetModel();
    m_paths = std::move(utf8Paths);
    m_captions = std::move(utf8Captions);
    endResetModel();
    m_savedPaths = m_paths;
    m_savedCaptions = m_captions;
    return {};
}

QStringList LoadedImages::paths() const
{
    QStringList texts;
    texts.reserve(m_paths.size());
    for (const QByteArray& path : m_paths)
        texts.append(IniEncoding::toText(path));
    return texts;
}

Result<> LoadedImages::saveToSettings(SettingsFile& file, QStringList* leftOut) const
{
    if (Result<> saved = saveList(file, m_paths, m_captions, leftOut); !saved)
        return saved;
    m_savedPaths = m_paths;
    m_savedCaptions = m_captions;
    return {};
}

Result<> LoadedImages::saveTelling(SettingsFile& file, Prompter& prompter) const
{
    QStringList leftOut;
    Result<> saved = saveToSettings(file, &leftOut);
    if (!SettingsSaveReport::check(saved, prompter))
        return saved;
    SettingsSaveReport::checkLeftOut(leftOut, file, prompter);
    return {};
}

bool LoadedImages::isModified() const
{
    return m_paths != m_savedPaths || m_captions != m_savedCaptions;
}

QString LoadedImages::storeProblem(const QString& path)
{
    // Written as UTF-8, a lone surrogate would come back as another name.
    if (!QStringView(path).isValidUtf16())
        return notUtf8Reason();
    if (IniSyntax::valueProblem(path.toUtf8()).isEmpty())
        return {};
    return QStringLiteral("its name holds a line break, which the settings file cannot store");
}

QString LoadedImages::notUtf8Reason()
{
    return QStringLiteral("its name is not valid UTF-8, which the settings file cannot store");
}

QString LoadedImages::noRoomReason()
{
    return QStringLiteral("the list is full: it holds at most %1 pictures")
        .arg(QLocale(QLocale::English).toString(MaxEntries));
}

QString LoadedImages::fullListText(int loaded, int listed)
{
    return QStringLiteral("The list holds at most %1 pictures: %2 of the %3 files were loaded and %4 "
                          "were left out.")
        .arg(QLocale(QLocale::English).toString(MaxEntries))
        .arg(loaded)
        .arg(listed)
        .arg(listed - loaded);
}

int LoadedImages::count() const
{
    return static_cast<int>(m_paths.size());
}

QString LoadedImages::pathAt(int position) const
{
    return isValidPosition(position) ? IniEncoding::toText(m_paths.at(position)) : QString();
}

QString LoadedImages::captionAt(int position) const
{
    return isValidPosition(position) ? IniEncoding::toText(m_captions.at(position)) : QString();
}

int LoadedImages::append(const QString& path, const QString& caption)
{
    if (count() >= MaxEntries)
        return -1;
    const int position = count();
    beginInsertRows(QModelIndex(), position, position);
    m_paths.append(path.toUtf8());
    m_captions.append(caption.toUtf8());
    endInsertRows();
    return position;
}

int LoadedImages::appendPaths(const QStringList& paths)
{
    const int fitting = std::min<int>(static_cast<int>(paths.size()), MaxEntries - count());
    if (fitting <= 0)
        return 0;
    beginInsertRows(QModelIndex(), count(), count() + fitting - 1);
    for (int i = 0; i < fitting; ++i) {
        m_paths.append(paths[i].toUtf8());
        m_captions.append(QByteArray());
    }
    endInsertRows();
    return fitting;
}

LoadedImages::Added LoadedImages::sortOut(const QStringList& paths, QSet<QByteArray> known, int room,
                                          const Check& check, QStringList* fresh)
{
    Added result;
    for (const QString& path : paths) {
        if (const QString problem = storeProblem(path); !problem.isEmpty()) {
            result.refused.append({path, problem});
            continue;
        }
        const QByteArray utf8 = path.toUtf8();
        if (known.contains(utf8)) {
            ++result.already;
            continue;
        }
        // Only what could go in is looked at: reading a whole folder's pictures for a full list is waste.
        if (room <= 0) {
            known.insert(utf8);
            result.noRoom.append(path);
            continue;
        }
        if (const QString problem = check ? check(path) : QString(); !problem.isEmpty()) {
            result.refused.append({path, problem});
            continue;
        }
        known.insert(utf8);
        fresh->append(path);
        --room;
    }
    return result;
}

LoadedImages::Added LoadedImages::appendMissing(const QStringList& paths, const Check& check)
{
    QStringList fresh;
    Added result = sortOut(paths, QSet<QByteArray>(m_paths.cbegin(), m_paths.cend()), MaxEntries - count(),
                           check, &fresh);
    result.added = appendPaths(fresh);
    return result;
}

Result<> LoadedImages::appendStored(SettingsFile& file, const QStringList& paths, const Check& check,
                                    Added* added)
{
    const int stored = storedCount(SettingsSchema::read(file, &Settings::total));
    QByteArrayList storedPaths = file.readList(pathsSection(), stored);
    QByteArrayList storedCaptions = file.readList(captionsSection(), stored);
    QStringList fresh;
    // Both lists get the new ones: each must keep within the most the list holds.
    *added = sortOut(paths, QSet<QByteArray>(storedPaths.cbegin(), storedPaths.cend()),
                     MaxEntries - std::max(stored, count()), check, &fresh);
    if (fresh.isEmpty())
        return {};
    for (const QString& path : std::as_const(fresh)) {
        storedPaths.append(path.toUtf8());
        storedCaptions.append(QByteArray());
    }
    if (Result<> saved = saveList(file, std::move(storedPaths), std::move(storedCaptions), nullptr); !saved)
        return saved;
    added->added = static_cast<int>(fresh.size());
    // What was unsaved here stays exactly as unsaved: this list and its saved image get the same entries.
    const QSet<QByteArray> here(m_paths.cbegin(), m_paths.cend());
    QStringList shown;
    for (const QString& path : std::as_const(fresh)) {
        if (here.contains(path.toUtf8()))
            continue;
        shown.append(path);
        m_savedPaths.append(path.toUtf8());
        m_savedCaptions.append(QByteArray());
    }
    appendPaths(shown);
    return {};
}

Result<> LoadedImages::removeStored(SettingsFile& file, int position)
{
    if (!isValidPosition(position))
        return {};
    const QByteArray path = m_paths.at(position);
    removeAt(position);
    // The same entry in a list that may differ from this one by unsaved edits: at the same place, else the
    // first that names the same file.
    const auto sameEntry = [position, &path](const QByteArrayList& list) {
        return position < list.size() && list.at(position) == path ? qsizetype(position) : list.indexOf(path);
    };
    const int stored = storedCount(SettingsSchema::read(file, &Settings::total));
    QByteArrayList storedPaths = file.readList(pathsSection(), stored);
    QByteArrayList storedCaptions = file.readList(captionsSection(), stored);
    if (const qsizetype at = sameEntry(storedPaths); at >= 0) {
        storedPaths.removeAt(at);
        storedCaptions.removeAt(at);
        if (Result<> saved = saveList(file, std::move(storedPaths), std::move(storedCaptions), nullptr);
            !saved)
            return saved;
    }
    if (const qsizetype at = sameEntry(m_savedPaths); at >= 0) {
        m_savedPaths.removeAt(at);
        m_savedCaptions.removeAt(at);
    }
    return {};
}

int LoadedImages::positionOf(const QString& path) const
{
    return static_cast<int>(m_paths.indexOf(path.toUtf8()));
}

void LoadedImages::removeAt(int position)
{
    if (!isValidPosition(position))
        return;
    beginRemoveRows(QModelIndex(), position, position);
    m_paths.removeAt(position);
    m_captions.removeAt(position);
    endRemoveRows();
}

int LoadedImages::moveUp(int position)
{
    return moveAll({position}, true).value(0, position);
}

int LoadedImages::moveDown(int position)
{
    return moveAll({position}, false).value(0, position);
}

void LoadedImages::removeAll(const QList<int>& positions)
{
    const QList<std::pair<int, int>> runs = runsOf(positions, count());
    // From the end, so that the runs still to go keep their positions.
    for (auto run = runs.crbegin(); run != runs.crend(); ++run) {
        beginRemoveRows(QModelIndex(), run->first, run->second);
        m_paths.remove(run->first, run->second - run->first + 1);
        m_captions.remove(run->first, run->second - run->first + 1);
        endRemoveRows();
    }
}

QList<int> LoadedImages::moveAll(const QList<int>& positions, bool up)
{
    QList<int> moved;
    for (const auto& [first, last] : runsOf(positions, count())) {
        const bool stays = up ? first == 0 : last == count() - 1;
        // The neighbour the run steps over changes sides: one row moved instead of the whole run. Qt's
        // destination row counts the moved row itself: one past the row it lands below.
        const int step = stays ? 0 : up ? -1 : 1;
        if (step != 0) {
            const int from = up ? first - 1 : last + 1;
            const int to = up ? last : first;
            beginMoveRows(QModelIndex(), from, from, QModelIndex(), up ? to + 1 : to);
            m_paths.move(from, to);
            m_captions.move(from, to);
            endMoveRows();
        }
        for (int p = first; p <= last; ++p)
            moved.append(p + step);
    }
    return moved;
}

void LoadedImages::setCaption(int position, const QString& caption)
{
    if (!isValidPosition(position))
        return;
    m_captions[position] = caption.toUtf8();
}

void LoadedImages::clear()
{
    beginResetModel();
    m_paths.clear();
    m_captions.clear();
    endResetModel();
}

bool LoadedImages::isEmpty() const
{
    return m_paths.isEmpty() || m_paths.constFirst().isEmpty();
}

int LoadedImages::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant LoadedImages::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !isValidPosition(index.row()))
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return IniEncoding::toText(m_paths.at(index.row()));
    return {};
}

bool LoadedImages::isValidPosition(int position) const
{
    return position >= 0 && position < count();
}
