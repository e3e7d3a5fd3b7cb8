// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DesktopBackend.h"

/** Used where no supported desktop is found: every apply fails with that reason. */
class NullDesktopBackend final : public DesktopBackend
{
public:
    QString name() const override { return QStringLiteral("none"); }
    ApplyResult apply(const QString& bitmapPath, QString& style) override;
};
