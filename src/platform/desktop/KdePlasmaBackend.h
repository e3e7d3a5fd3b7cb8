// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopBackend.h"

#include <QDBusConnection>

/**
 * Sets the wallpaper of every Plasma desktop through plasmashell's scripting interface. With several
 * monitors each desktop (containment) gets its own screen's part of the spanned bitmap.
 */
class KdePlasmaBackend final : public DesktopBackend
{
public:
    /** Talks to the plasmashell on `bus` (the session bus unless a test hands in its own). */
    explicit KdePlasmaBackend(QDBusConnection bus = QDBusConnection::sessionBus());

    QString name() const override { return QStringLiteral("kde"); }
    /** Each desktop knows its screen, so each gets that monitor's part of the whole desktop's bitmap. */
    bool spans() const override { return true; }

protected:
    ApplyResult applyStyleThenFile(const QString& bitmapPath, WallpaperStyle style) override;

private:
    QDBusConnection m_bus;
};
