// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

/** A caption font as the font chooser offers it. */
struct FontChoice
{
    QString name;
    /** Points; the chooser keeps it within the bounds of newFontSize. */
    double size = 16;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    /** Red in the lowest byte: red + 256 * green + 65536 * blue. */
    qint32 colour = 0;

    bool operator==(const FontChoice&) const = default;
};
