// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocale>
#include <QString>

class FileSystem;
class LoadedImages;
struct Settings;

/**
 * A picture's caption as it is drawn: its own caption, or the default caption when its own is empty,
 * with "{name}", "{folder}", "{date}", "{index}" and "{total}" replaced. The list keeps what was typed.
 */
class ShownCaption
{
public:
    /** Everything the words need but the picture's date, which is read from the file when asked for. */
    struct Source
    {
        /** The entry's own caption, as typed. */
        QString caption;
        /** The caption of every picture whose own is empty, as typed. */
        QString defaultCaption;
        QString path;
        /** 0-based position in the list, and the list's length. */
        int position = 0;
        int total = 0;
    };

    /** The caption shown for `source`; the date in `locale`'s short form. */
    static QString text(const Source& source, FileSystem& files, const QLocale& locale = QLocale());

    /** The caption shown for the list's entry at `position`, with the settings' default caption. */
    static QString ofEntry(const LoadedImages& images, int position, const Settings& settings,
                           FileSystem& files);

    /** What one entry gives the words. */
    static Source sourceOf(const LoadedImages& images, int position, const Settings& settings);

    /** The words a caption knows, as the Caption dialog tells them. */
    static QString wordsHelp();

private:
    /** When the picture was taken (EXIF), else when its file was last changed; empty when neither is known.
     */
    static QString date(const QString& path, FileSystem& files, const QLocale& locale);
};
