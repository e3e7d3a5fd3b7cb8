// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OptionDialogs.h"

#include <QStringList>

/** Option dialogs that only note which one was opened, in a list that outlives the window owning them. */
class RecordingOptionDialogs final : public OptionDialogs
{
public:
    explicit RecordingOptionDialogs(QStringList& opened) : m_opened(opened) {}

    void openTimer() override { m_opened << QStringLiteral("timer"); }
    void openDisplay() override { m_opened << QStringLiteral("display"); }
    void openMode() override { m_opened << QStringLiteral("mode"); }
    void openCaption() override { m_opened << QStringLiteral("caption"); }
    void openMultiple() override { m_opened << QStringLiteral("multiple"); }

private:
    QStringList& m_opened;
};
