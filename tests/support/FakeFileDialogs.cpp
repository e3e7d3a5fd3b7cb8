// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeFileDialogs.h"

std::optional<QString> FakeFileDialogs::openFile(const QString& title, const QString& filter, int filterIndex)
{
    m_asked.append({title, filter, filterIndex});
    return m_choices.isEmpty() ? std::nullopt : m_choices.takeFirst();
}
