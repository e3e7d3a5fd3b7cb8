// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Result.h"

#include <QString>
#include <QUrl>

/** Hands web addresses and files to the desktop's own programs: the browser, the file manager. */
class UrlOpener
{
public:
    virtual ~UrlOpener() = default;
    /** Returns false when no browser could be started. */
    virtual bool open(const QUrl& url) = 0;
    /** Opens the file manager on the folder of `path` with that file selected; the failure says why not. */
    [[nodiscard]] virtual Result<> showInFolder(const QString& path) = 0;
};
