// SPDX-License-Identifier: GPL-3.0-or-later
#include "XvfbServer.h"

#include "DesktopHarness.h"

XvfbServer::~XvfbServer()
{
    DesktopHarness::stop(m_process);
}

QString XvfbServer::start(int width, int height)
{
    // -noreset: the server would otherwise drop the wallpaper when its last client leaves.
    const QString number = DesktopHarness::startServer(
        m_process, QStringLiteral("Xvfb"),
        {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
         QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
         QStringLiteral("%1x%2x24").arg(width).arg(height)});
    m_displayName = QLatin1Char(':') + number;
    return number.isEmpty() ? QStringLiteral("Xvfb did not start: ") + m_process.errorString() : QString();
}
