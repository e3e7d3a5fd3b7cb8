// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "UrlOpener.h"

#include <QList>

/** Records the addresses it was asked to open and the files it was asked to show in their folders. */
class FakeUrlOpener final : public UrlOpener
{
public:
    bool open(const QUrl& url) override
    {
        opened.append(url);
        return true;
    }
    Result<> showInFolder(const QString& path) override
    {
        shownInFolder.append(path);
        return {};
    }
    QList<QUrl> opened;
    QStringList shownInFolder;
};
