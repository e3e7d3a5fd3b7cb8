// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QImage>

class QPalette;

/**
 * The shipped pictures drawn for the palette they sit on: as drawn on a light one, and with the
 * lightness of every pixel turned over on a dark one, so that dark lines become light and keep their hue.
 */
class PaletteIcon
{
public:
    /** The picture `:/icons/<name>.png`, with its `@2x` version, for `palette`. */
    static QIcon picture(const QString& name, const QPalette& palette);
    /** `picture` as it is shown on `palette`. */
    static QImage forPalette(const QImage& picture, const QPalette& palette);
};
