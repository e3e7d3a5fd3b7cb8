// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FileDialogs.h"

class QtFileDialogs final : public FileDialogs
{
public:
    std::optional<QStringList> openFiles(const QString& title, const QString& filter,
                                         const QString& folder) override;
};
