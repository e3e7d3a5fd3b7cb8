// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "UrlOpener.h"

class DesktopUrlOpener final : public UrlOpener
{
public:
    bool open(const QUrl& url) override;
    Result<> showInFolder(const QString& path) override;
};
