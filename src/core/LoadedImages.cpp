// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoadedImages.h"

#include "IniEncoding.h"
#include "IniSyntax.h"
#include "SettingValue.h"
#include "SettingsFile.h"
#include "SettingsSaveReport.h"

#include <QLocale>
#include <QSet>

#include <cmath>

namespace {

const QString kTotal = QStringLiteral("total");
const QString kImages = QStringLiteral("images");
const QString kCaption = QStringLiteral("caption");

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
    const QString totalText = file.read(kTotal, kTotal);
    const int count = storedCount(totalText);
    beginResetModel();
    m_paths = file.readList(kImages, count);
    m_captions = file.readList(kCaption, count);
    endResetModel();
    m_savedPaths = m_paths;
    m_savedCaptions = m_captions;
    return totalText;
}

bool LoadedImages::saveToSettings(SettingsFile& file, QStringList* leftOut) const
{
    const auto storable = [](const QByteArray& utf8) {
        return IniSyntax::valueProblem(utf8).isEmpty();
    };
    QByteArrayList paths = m_paths;
    QByteArrayList captions = m_captions;
    // Only when an entry must be left out do the lists stop sharing their text with the model.
    for (qsizetype i = paths.size() - 1; i >= 0; --i) {
        if (storable(m_paths.at(i)) && storable(m_captions.at(i)))
            continue;
        if (leftOut)
            leftOut->prepend(IniEncoding::toText(m_paths.at(i)));
        paths.removeAt(i);
        captions.removeAt(i);
    }
    const bool saved =
        file.apply({IniEdit::write(kTotal, kTotal, QString::number(paths.size())),
                    IniEdit::removeSection(kImages), IniEdit::writeList(kImages, std::move(paths)),
                    IniEdit::removeSection(kCaption), IniEdit::writeList(kCaption, std::move(captions))});
    if (saved) {
        m_savedPaths = m_paths;
        m_savedCaptions = m_captions;
    }
    return saved;
}

bool LoadedImages::saveTelling(SettingsFile& file, Prompter& prompter) const
{
    QStringList leftOut;
    if (!SettingsSaveReport::check(saveToSettings(file, &leftOut), file, prompter))
        return false;
    SettingsSaveReport::checkLeftOut(leftOut, file, prompter);
    return true;
}

bool LoadedImages::isModified() const
{
    return m_paths != m_savedPaths || m_captions != m_savedCaptions;
}

bool LoadedImages::canStore(const QString& text)
{
    return IniSyntax::valueProblem(text.toUtf8()).isEmpty();
}

QString LoadedImages::cannotStoreText(const QString& path)
{
    return QStringLiteral("\"%1\" cannot be added: its name holds a line break, which the settings file "
                          "cannot store. Rename the file and add it again.")
        .arg(SettingsSaveReport::visible(path));
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

LoadedImages::Added LoadedImages::appendMissing(const QStringList& paths)
{
    QSet<QByteArray> known(m_paths.cbegin(), m_paths.cend());
    QStringList fresh;
    Added result;
    for (const QString& path : paths) {
        if (!canStore(path)) {
            result.unstorable.append(path);
            continue;
        }
        const QByteArray utf8 = path.toUtf8();
        if (known.contains(utf8)) {
            ++result.already;
            continue;
        }
        known.insert(utf8);
        fresh.append(path);
    }
    result.added = appendPaths(fresh);
    result.leftOut = static_cast<int>(fresh.size()) - result.added;
    return result;
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
    if (!isValidPosition(position) || position == 0)
        return position;
    beginMoveRows(QModelIndex(), position, position, QModelIndex(), position - 1);
    m_paths.move(position, position - 1);
    m_captions.move(position, position - 1);
    endMoveRows();
    return position - 1;
}

int LoadedImages::moveDown(int position)
{
    if (!isValidPosition(position) || position >= count() - 1)
        return position;
    // Qt's destination row counts the moved row itself: one past the row it lands below.
    beginMoveRows(QModelIndex(), position, position, QModelIndex(), position + 2);
    m_paths.move(position, position + 1);
    m_captions.move(position, position + 1);
    endMoveRows();
    return position + 1;
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
