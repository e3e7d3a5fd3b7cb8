// SPDX-License-Identifier: GPL-3.0-or-later
#include "DecodeBudget.h"

QString DecodeBudget::tooLarge(QSize picture)
{
    return QStringLiteral("the picture is %1 x %2 pixels, too large to decode in %3 MB of memory")
        .arg(picture.width())
        .arg(picture.height())
        .arg(MiB);
}
