// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "UrlOpener.h"

#include <QList>

/** Records the addresses it was asked to open. */
class FakeUrlOpener final : public UrlOpener
{
public:
    bool open(const QUrl& url) override
    {
        opened.append(url);
        return true;
    }
    QList<QUrl> opened;
};
