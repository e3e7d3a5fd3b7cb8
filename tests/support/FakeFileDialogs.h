// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/FileDialogs.h"

#include <QList>

/** Returns queued choices (nullopt is a cancel) and records how it was asked. */
class FakeFileDialogs final : public FileDialogs
{
public:
    struct Asked
    {
        QString title;
        QString filter;
        int filterIndex;
    };

    std::optional<QString> openFile(const QString& title, const QString& filter, int filterIndex) override
    {
        m_asked.append({title, filter, filterIndex});
        return m_choices.isEmpty() ? std::nullopt : m_choices.takeFirst();
    }
    void choose(std::optional<QString> path) { m_choices.append(std::move(path)); }
    const QList<Asked>& asked() const { return m_asked; }

private:
    QList<std::optional<QString>> m_choices;
    QList<Asked> m_asked;
};
