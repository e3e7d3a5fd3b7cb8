// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

/** Which file names the picture list offers to take: one answer for the add dialog and the folder loader. */
class PictureFormats
{
public:
    /**
     * "*.ext" patterns, lower case, sorted, each once: every suffix the installed image readers take,
     * and those of the described filters, .dib and .jif among them: no reader names them, but pictures
     * are read by content and they hold BMP and JPEG.
     */
    static QStringList patterns();
};
