// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

/** The file-open dialog. */
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    /**
     * Asks for one existing file. `filter` is in the form "Name (*.a *.b);;Other (*.c)" and
     * `filterIndex` is the 0-based filter chosen first. Returns nothing when the user cancels.
     */
    virtual std::optional<QString> openFile(const QString& title, const QString& filter, int filterIndex) = 0;
};
