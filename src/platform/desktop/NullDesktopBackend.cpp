// SPDX-License-Identifier: GPL-3.0-or-later
#include "NullDesktopBackend.h"

ApplyResult NullDesktopBackend::apply(const QString& bitmapPath, QString& style)
{
    Q_UNUSED(bitmapPath);
    Q_UNUSED(style);
    return {false, QStringLiteral("no supported desktop found")};
}
