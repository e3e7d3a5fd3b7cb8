// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

/** Small file helpers the desktop back-end tests share. */
namespace DesktopTestFiles {

/** A folder name that breaks any shell or command parser that sees it unquoted. */
inline QString hostileName()
{
    return QStringLiteral("a b'c\"$(touch pwned);x,y `touch pwned2` back\\slash ü €");
}

/** Writes a small bitmap; returns its path. */
inline QString writeBitmap(const QString& path, QRgb colour = qRgb(200, 30, 40))
{
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(colour);
    QDir().mkpath(QFileInfo(path).absolutePath());
    return image.save(path, "BMP") ? path : QString();
}

/** Writes an executable shell script. */
inline bool writeScript(const QString& path, const QByteArray& body)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write("#!/bin/sh\n" + body);
    file.close();
    return file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeGroup |
                               QFileDevice::ExeOther);
}

/**
 * A stand-in named `tool` in `folder` that appends "verb args…" (first arguments, one line per call) to
 * `log` and then runs the real tool, found before the stand-in is put first on PATH.
 */
inline bool writeLoggingWrapper(const QString& folder, const QString& tool, const QString& log)
{
    const QString real = QStandardPaths::findExecutable(tool);
    if (real.isEmpty())
        return false;
    return writeScript(
        folder + QLatin1Char('/') + tool,
        QStringLiteral("printf '%s\\n' \"$*\" >> '%1'\nexec '%2' \"$@\"\n").arg(log, real).toUtf8());
}

/** Puts `folder` first on this process's PATH, so the tools the back ends start are found there. */
inline void prependToPath(const QString& folder)
{
    qputenv("PATH", (folder + QLatin1Char(':') + qEnvironmentVariable("PATH")).toLocal8Bit());
}

/** Runs a tool and returns its standard output (empty when it fails). */
inline QString runTool(const QString& program, const QStringList& arguments,
                       const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(10000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace DesktopTestFiles
