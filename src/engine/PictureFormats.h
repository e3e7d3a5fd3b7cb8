// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

class QImageReader;

/** Which file names the picture list offers to take: one answer for the add dialog and the folder loader. */
class PictureFormats
{
public:
    /**
     * "*.ext" patterns, lower case, sorted, each once: every suffix the installed image readers take,
     * and those the add dialog always offers, .dib and .jif among them: no reader names them, but pictures
     * are read by content and they hold BMP and JPEG.
     */
    static QStringList patterns();

    /**
     * Sets the format of the picture open in `reader`'s device from its first bytes. A JPEG, PNG, GIF or
     * BMP goes to its own reader alone; anything else is left for Qt to tell by content, which loads
     * every image plugin there is to ask each one.
     */
    static void decideByContent(QImageReader& reader);
};
