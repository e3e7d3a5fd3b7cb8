// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopBackend.h"

/** Used where no supported desktop is found (or the one asked for is not available): every apply fails. */
class NullDesktopBackend final : public DesktopBackend
{
public:
    explicit NullDesktopBackend(QString reason = QStringLiteral("no supported desktop found"));
    QString name() const override { return QStringLiteral("none"); }

protected:
    Result<> applyStyleThenFiles(const QStringList& files, WallpaperStyle style) override;

private:
    QString m_reason;
};
