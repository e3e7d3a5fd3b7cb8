// SPDX-License-Identifier: GPL-3.0-or-later
#include "WatchedFolderList.h"

#include "IniEdit.h"
#include "IniEncoding.h"
#include "LoadedImages.h"
#include "SettingsFile.h"
#include "SettingsSchema.h"

#include <QDir>
#include <algorithm>

namespace {

using Section = SettingsSchema::ListSection;

/** Keys 0, 1, 2… up to the first missing one. */
QStringList readNumbered(SettingsFile& file, Section list)
{
    QStringList values;
    for (const QByteArray& value : file.readList(SettingsSchema::section(list), LoadedImages::MaxEntries)) {
        if (value.isEmpty())
            break;
        values.append(IniEncoding::toText(value));
    }
    return values;
}

IniEdit writeNumbered(Section list, const QStringList& values)
{
    QByteArrayList utf8;
    utf8.reserve(values.size());
    for (const QString& value : values)
        utf8.append(value.toUtf8());
    return IniEdit::writeList(SettingsSchema::section(list), std::move(utf8));
}

} // namespace

WatchedFolderList WatchedFolderList::load(SettingsFile& file)
{
    WatchedFolderList stored;
    for (const QString& folder : readNumbered(file, Section::WatchedFolders)) {
        if (stored.indexOf(folder) < 0)
            stored.folders.append(QDir::cleanPath(folder));
    }
    const QStringList leftOut = readNumbered(file, Section::LeftOut);
    stored.leftOut = QSet<QString>(leftOut.cbegin(), leftOut.cend());
    return stored;
}

QList<IniEdit> WatchedFolderList::edits() const
{
    // Sorted, so that the same pictures left out give the same file.
    QStringList leftOutSorted(leftOut.cbegin(), leftOut.cend());
    std::sort(leftOutSorted.begin(), leftOutSorted.end());
    return {IniEdit::removeSection(SettingsSchema::section(Section::WatchedFolders)),
            writeNumbered(Section::WatchedFolders, folders),
            IniEdit::removeSection(SettingsSchema::section(Section::LeftOut)),
            writeNumbered(Section::LeftOut, leftOutSorted)};
}

Result<> WatchedFolderList::save(SettingsFile& file) const
{
    return file.apply(edits());
}

int WatchedFolderList::indexOf(const QString& folder) const
{
    return int(folders.indexOf(QDir::cleanPath(folder)));
}
