// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

/** The file-open dialog. */
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    /**
     * Asks for one or more existing files, starting in `folder`. `filter` is in the form
     * "Name (*.a *.b);;Other (*.c)" and the first filter is chosen first. Returns nothing when the user
     * cancels.
     */
    virtual std::optional<QStringList> openFiles(const QString& title, const QString& filter,
                                                 const QString& folder) = 0;
};
