// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopBackend.h"

#include <QDBusConnection>

/** Sets the wallpaper of every Plasma desktop through plasmashell's scripting interface. */
class KdePlasmaBackend final : public DesktopBackend
{
public:
    /** Talks to the plasmashell on `bus` (the session bus unless a test hands in its own). */
    explicit KdePlasmaBackend(QDBusConnection bus = QDBusConnection::sessionBus());

    QString name() const override { return QStringLiteral("kde"); }

protected:
    ApplyResult applyStyleThenFile(const QString& bitmapPath, WallpaperStyle style) override;

private:
    QDBusConnection m_bus;
};
