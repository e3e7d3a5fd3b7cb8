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
        m_process, "Xvfb",
        QString("-displayfd 1 -noreset -nolisten tcp -screen 0 %1x%2x24").arg(width).arg(height).split(' '));
    m_displayName = ':' + number;
    return number.isEmpty() ? "Xvfb did not start: " + m_process.errorString() : QString();
}
