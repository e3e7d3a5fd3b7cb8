// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopBackend.h"

#include <QDBusConnection>

/**
 * Sets the wallpaper of every Plasma desktop through plasmashell's scripting interface. With several
 * monitors each desktop (containment) gets the file made for its own screen.
 */
class KdePlasmaBackend final : public DesktopBackend
{
public:
    /** Talks to the plasmashell on `bus` (the session bus unless a test hands in its own). */
    explicit KdePlasmaBackend(QDBusConnection bus = QDBusConnection::sessionBus());

    QString name() const override { return QStringLiteral("kde"); }
    /** Each desktop knows its screen, so each gets that monitor's own file. */
    Takes takes() const override { return Takes::FilePerMonitor; }
    /** Plasma keeps showing its cached copy of a file rewritten at the same path. */
    Result<std::optional<QString>> freshFolder(const QString&) const override
    {
        return std::optional<QString>(QString());
    }

protected:
    Result<> applyStyleThenFiles(const QStringList& files, WallpaperStyle style) override;

private:
    QDBusConnection m_bus;
};
