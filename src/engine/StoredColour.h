// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>

/** A colour as the settings file stores it: red + 256 * green + 65536 * blue. */
class StoredColour
{
public:
    static QColor toColor(qint32 stored);
    static qint32 fromColor(const QColor& color);
};
