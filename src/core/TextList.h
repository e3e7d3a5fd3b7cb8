// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayList>

/**
 * Texts in UTF-8 held in one buffer, as a list read from the settings file is: a single allocation
 * rather than one for each of tens of thousands of texts. The values are views into the buffer
 * (QByteArray::fromRawData), so they stay valid only while the buffer is kept: whoever keeps the
 * values, or copies of them, keeps the buffer as long.
 */
struct TextList
{
    QByteArray buffer;
    QByteArrayList values;
};
