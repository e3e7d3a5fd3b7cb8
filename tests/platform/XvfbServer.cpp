// SPDX-License-Identifier: GPL-3.0-or-later
#include "XvfbServer.h"

#include <QDeadlineTimer>

XvfbServer::~XvfbServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(3000);
    }
}

QString XvfbServer::start(int width, int height)
{
    // -noreset: the server would otherwise reset, and drop the wallpaper, when its last client leaves.
    // -displayfd 1: the server picks a free display and prints its number once it accepts connections.
    m_process.start(QStringLiteral("Xvfb"),
                    {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
                     QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-screen"),
                     QStringLiteral("0"), QStringLiteral("%1x%2x24").arg(width).arg(height)});
    if (!m_process.waitForStarted(5000))
        return QStringLiteral("cannot start Xvfb (package xvfb): %1").arg(m_process.errorString());
    QByteArray output;
    const QDeadlineTimer deadline(10000);
    while (!output.contains('\n')) {
        if (deadline.hasExpired() || !m_process.waitForReadyRead(int(deadline.remainingTime())))
            return QStringLiteral("Xvfb printed no display number: %1")
                .arg(QString::fromLocal8Bit(m_process.readAllStandardError()));
        output += m_process.readAllStandardOutput();
    }
    m_displayName = QLatin1Char(':') + QString::fromLatin1(output.trimmed());
    return {};
}
