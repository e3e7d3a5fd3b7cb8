// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShownCaption.h"

#include "CaptionTemplate.h"
#include "CheckedSettings.h"
#include "ExifDate.h"
#include "FileSystem.h"
#include "LoadedImages.h"
#include "Settings.h"

#include <QFile>
#include <QFileInfo>

QString ShownCaption::text(const Source& source, FileSystem& files, const QLocale& locale)
{
    const QString& typed = source.caption.isEmpty() ? source.defaultCaption : source.caption;
    return CaptionTemplate::expand(typed, [&](QStringView word) -> std::optional<QString> {
        const QFileInfo file(source.path);
        if (word == u"name")
            return file.completeBaseName();
        if (word == u"folder")
            return QFileInfo(file.path()).fileName();
        if (word == u"date")
            return date(source.path, files, locale);
        if (word == u"index")
            return QString::number(source.position + 1);
        if (word == u"total")
            return QString::number(source.total);
        return std::nullopt;
    });
}

ShownCaption::Source ShownCaption::sourceOf(const LoadedImages& images, int position,
                                            const Settings& settings)
{
    return {images.captionAt(position), CheckedSettings(settings).text(&Settings::defaultCaption),
            images.pathAt(position), position, images.count()};
}

QString ShownCaption::ofEntry(const LoadedImages& images, int position, const Settings& settings,
                              FileSystem& files)
{
    return text(sourceOf(images, position, settings), files);
}

QString ShownCaption::wordsHelp()
{
    return QStringLiteral("Words: {name} {folder} {date} {index} {total}; {{ }} give braces.");
}

QString ShownCaption::date(const QString& path, FileSystem& files, const QLocale& locale)
{
    QFile file;
    // Only a regular file is read: a named pipe would block the change for ever.
    if (files.openRegular(path, file)) {
        if (const std::optional<QDateTime> taken = ExifDate::taken(file))
            return locale.toString(taken->date(), QLocale::ShortFormat);
    }
    const Result<FileStamp> stamp = files.stat(path);
    if (!stamp)
        return {};
    const QDateTime changed = QDateTime::fromMSecsSinceEpoch(stamp->modifiedNs / 1'000'000);
    return locale.toString(changed.date(), QLocale::ShortFormat);
}
