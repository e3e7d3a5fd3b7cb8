// SPDX-License-Identifier: GPL-3.0-or-later
#include "SystemClock.h"

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}
