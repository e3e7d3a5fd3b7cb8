// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

/** The pictures shown by the last changes of this run, newest last, so that one can step back. */
class ChangeHistory
{
public:
    /** How many changes are kept. */
    static constexpr int Capacity = 50;

    struct Entry
    {
        int position;
        QString path;
        /** The caption drawn with it, when this run drew it. */
        std::optional<QString> caption;
    };

    /** A picture went on screen; the same picture again adds nothing but its new place and caption. */
    void record(int position, const QString& path, const std::optional<QString>& caption = std::nullopt);
    /** The picture on screen, if known. */
    std::optional<Entry> current() const;
    /** Forgets the picture on screen and gives the one shown before it, if any. */
    std::optional<Entry> stepBack();
    /**
     * The list `oldPaths` was edited into `newPaths`: each picture recorded at its place gets its new place
     * and name; a removed one keeps its name and has no place.
     */
    void remap(const QStringList& oldPaths, const QList<int>& newPositionOf, const QStringList& newPaths);

private:
    QList<Entry> m_entries;
};
