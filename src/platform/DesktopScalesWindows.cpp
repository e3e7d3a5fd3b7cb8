// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopScales.h"

// Qt asks Windows for each monitor's own scale.
QList<MonitorScale> DesktopScales::read()
{
    return {};
}

void DesktopScales::watch(QObject*, const char*) {}
