// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FileDialogs.h"

#include <QList>

/** Returns queued choices (nullopt is a cancel) and records how it was asked. */
class FakeFileDialogs final : public FileDialogs
{
public:
    struct Asked
    {
        QString title;
        QString filter;
        QString folder;
    };

    std::optional<QStringList> openFiles(const QString& title, const QString& filter,
                                         const QString& folder) override
    {
        m_asked.append({title, filter, folder});
        return m_choices.isEmpty() ? std::nullopt : m_choices.takeFirst();
    }
    void choose(std::optional<QString> path)
    {
        m_choices.append(path ? std::optional<QStringList>(QStringList{*path}) : std::nullopt);
    }
    void chooseSeveral(const QStringList& paths) { m_choices.append(paths); }
    const QList<Asked>& asked() const { return m_asked; }

private:
    QList<std::optional<QStringList>> m_choices;
    QList<Asked> m_asked;
};
