// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtEventWait.h"

#include <QEventLoop>
#include <QTimer>

void QtEventWait::wait(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}
