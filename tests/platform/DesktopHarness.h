// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopBackend.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QProcess>

/** What the desktop back-end tests share: bitmaps, stand-in tools, private servers and real tools run. */
namespace DesktopHarness {

/** A folder name that breaks any shell, script or command parser that sees it unquoted. */
inline QString hostileName()
{
    return QStringLiteral("a b'c\"$(touch pwned);x,y `touch pwned2` back\\slash ü €\u2028%20#");
}

/** The style a row's word names: "Center", "Tile", "Span", or else "Stretch". */
inline WallpaperStyle style(const QString& word)
{
    if (word == QLatin1String("Center"))
        return WallpaperStyle::Center;
    if (word == QLatin1String("Tile"))
        return WallpaperStyle::Tile;
    if (word == QLatin1String("Span"))
        return WallpaperStyle::Span;
    return WallpaperStyle::Stretch;
}

inline QString writeBitmap(const QString& path, const QImage& image)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return image.save(path, "BMP") ? path : QString();
}

inline bool writeScript(const QString& path, const QByteArray& body)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("#!/bin/sh\n" + body) > 0 &&
           file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

/** Runs a tool to its end; its standard output, or an empty string when it fails. */
inline QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    const bool ok = process.waitForFinished(10000) && process.exitCode() == 0;
    return ok ? QString::fromUtf8(process.readAllStandardOutput()).trimmed() : QString();
}

/** Starts a server that prints where to reach it (Xvfb's display, dbus-daemon's address); that line. */
inline QString startServer(QProcess& process, const QString& program, const QStringList& arguments)
{
    process.start(program, arguments);
    QByteArray output;
    const QDeadlineTimer deadline(10000);
    while (!output.contains('\n') && process.waitForReadyRead(int(deadline.remainingTime())))
        output += process.readAllStandardOutput();
    return QString::fromUtf8(output.trimmed());
}

inline void stop(QProcess& process)
{
    process.terminate();
    process.waitForFinished(3000); // else killed when it goes
}

} // namespace DesktopHarness
