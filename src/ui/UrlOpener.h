// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QUrl>

/** Opens a web address with the desktop's browser. */
class UrlOpener
{
public:
    virtual ~UrlOpener() = default;
    /** Returns false when no browser could be started. */
    virtual bool open(const QUrl& url) = 0;
};
