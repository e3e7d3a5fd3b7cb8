// SPDX-License-Identifier: GPL-3.0-or-later
#include "StoredColour.h"

QColor StoredColour::toColor(qint32 stored)
{
    const auto value = quint32(stored);
    return QColor(int(value & 0xff), int((value >> 8) & 0xff), int((value >> 16) & 0xff));
}

qint32 StoredColour::fromColor(const QColor& color)
{
    return color.red() + 256 * color.green() + 65536 * color.blue();
}
