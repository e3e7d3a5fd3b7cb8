// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "IniEdit.h"
#include "PathRefusal.h"
#include "Result.h"

#include <QAbstractListModel>
#include <QByteArrayList>
#include <QList>
#include <QSet>
#include <QStringList>

#include <functional>

class Prompter;
class SettingsFile;

/**
 * The user's ordered pictures, each with a caption line: two parallel sequences that always have
 * the same length. The model's display role is the path, so a list view shows it directly. Edits stay
 * in memory until SaveToSettings; what the command line and the tray add or remove goes to the list as
 * stored, and leaves the unsaved edits as they were.
 *
 * Both are held in UTF-8, as the settings file stores them: a long list takes about half the
 * memory of UTF-16 strings and is loaded and saved without converting every entry.
 */
class LoadedImages : public QAbstractListModel
{
    Q_OBJECT

public:
    /** Positions and counts are 16-bit signed. */
    static constexpr int MaxEntries = 32767;

    explicit LoadedImages(QObject* parent = nullptr);

    /** How many entries a stored "total" means: nothing usable is none, too many is the most we hold. */
    static int storedCount(const QString& totalText);
    /** Fills both sequences from the settings file; returns the "total" text as stored. */
    QString loadFromSettings(SettingsFile& file);
    /**
     * Writes the count, then both sections whole, as one save. Only for a non-empty list. An entry the
     * file cannot hold (a line break in its path or caption) is left out and its path added to leftOut;
     * every other entry is stored.
     */
    Result<> saveToSettings(SettingsFile& file, QStringList* leftOut = nullptr) const;
    /** Saves as saveToSettings does and tells the user of a failure (told already when returned) or of
     * entries left out. */
    Result<> saveTelling(SettingsFile& file, Prompter& prompter) const;
    /** Whether the list or a caption differs from what was last loaded or saved. */
    bool isModified() const;
    /** Why the settings file cannot hold `path` as a name (a line break in it…), or empty when it can. */
    static QString storeProblem(const QString& path);
    /** Why a name whose bytes are not valid UTF-8 (nor UTF-16 on Windows) cannot go in the list. */
    static QString notUtf8Reason();
    /** Why a path left out for want of room was not taken. */
    static QString noRoomReason();
    /** What the user is told when the list is full: loaded of listed files were added. */
    static QString fullListText(int loaded, int listed);

    int count() const;
    QString pathAt(int position) const;
    QString captionAt(int position) const;
    /** Adds at the end; returns the new entry's position, or -1 when the list is full. */
    int append(const QString& path, const QString& caption = QString());
    /** Adds several paths with empty captions; returns how many fitted below MaxEntries. */
    int appendPaths(const QStringList& paths);

    /** What appendMissing did with the paths it was given. */
    struct Added
    {
        int added = 0;
        /** In the list before, or named twice. */
        int already = 0;
        /** Not taken, each with its reason: a name the settings file cannot hold, or what `check` said. */
        QList<PathRefusal> refused;
        /** Left out, in their order, because the list was full. */
        QStringList noRoom;
    };
    /** Why a path the list has room for should not go in (it holds no picture…), or empty when it should. */
    using Check = std::function<QString(const QString& path)>;
    /**
     * Appends, in their order, the paths not in the list yet, with empty captions, while there is room; a
     * name the settings file cannot hold is refused, and so is one `check` (when given) finds a problem with.
     */
    Added appendMissing(const QStringList& paths, const Check& check = {});
    /**
     * Adds as appendMissing does to the list as the settings file stores it, and saves that: the file gets
     * the new pictures and nothing else. This list shows them too, and what it held unsaved stays unsaved.
     * Nothing changed here or in the file when the save fails.
     */
    Result<> appendStored(SettingsFile& file, const QStringList& paths, const Check& check, Added* added);
    /**
     * Removes the entry at `position` here and from the list as the settings file stores it, and saves that
     * alone. When the save fails the entry is gone here all the same, and counts as an unsaved edit.
     */
    Result<> removeStored(SettingsFile& file, int position);
    /**
     * Replaces the whole list and its captions with what a watched folder made of it, and saves them with
     * `more` edits as one save. Only for a list without unsaved edits; when the save fails nothing changes.
     */
    Result<> replaceSaved(SettingsFile& file, const QStringList& paths, const QStringList& captions,
                          const QList<IniEdit>& more);
    /** The paths, in order. */
    QStringList paths() const;
    /** The first position holding `path`, or -1. */
    int positionOf(const QString& path) const;
    void removeAt(int position);
    /** Removes the entries at `positions` (in any order; invalid ones are skipped) with their captions. */
    void removeAll(const QList<int>& positions);
    /** Returns the entry's new position. */
    int moveUp(int position);
    /** Returns the entry's new position. */
    int moveDown(int position);
    /**
     * Moves the entries at `positions` one place up or down, keeping their order: each run of neighbours
     * steps over the entry next to it, and a run already at that end stays. Returns their new positions,
     * in list order.
     */
    QList<int> moveAll(const QList<int>& positions, bool up);
    void setCaption(int position, const QString& caption);
    void clear();
    /** Empty when the first entry's path is empty text, or there are no entries. */
    bool isEmpty() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    bool isValidPosition(int position) const;
    /** Sorts paths out for appending to a list that holds `known` and has room for `room` more. */
    static Added sortOut(const QStringList& paths, QSet<QByteArray> known, int room, const Check& check,
                         QStringList* fresh);
    /** The edits that write a whole list as SaveToSettings does, leaving out entries the file cannot hold. */
    static QList<IniEdit> listEdits(QByteArrayList paths, QByteArrayList captions, QStringList* leftOut);
    /** Writes a whole list as SaveToSettings does, leaving out entries the file cannot hold. */
    static Result<> saveList(SettingsFile& file, QByteArrayList paths, QByteArrayList captions,
                             QStringList* leftOut);

    QByteArrayList m_paths;
    QByteArrayList m_captions;
    // What the settings file holds since the last load or save; shared, not copied, while unchanged.
    mutable QByteArrayList m_savedPaths;
    mutable QByteArrayList m_savedCaptions;
};
