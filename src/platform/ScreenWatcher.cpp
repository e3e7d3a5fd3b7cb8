// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenWatcher.h"

#include "DesktopScales.h"

#include <QGuiApplication>
#include <QScreen>

ScreenWatcher::ScreenWatcher(QObject* parent) : QObject(parent)
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(QuietMilliseconds);
    // Told even when the burst ends where it began: a change made while a monitor was off for a moment
    // was made for the layout of that moment, which only the change cycle knows.
    connect(&m_quiet, &QTimer::timeout, this, &ScreenWatcher::changed);
    const auto restart = [this] {
        m_quiet.start();
    };
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this, restart](QScreen* screen) {
        watch(screen);
        restart();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, restart);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, restart);
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    DesktopScales::watch(this, SLOT(desktopChanged()));
}

void ScreenWatcher::desktopChanged()
{
    m_quiet.start();
}

void ScreenWatcher::watch(QScreen* screen)
{
    const auto restart = [this] {
        m_quiet.start();
    };
    connect(screen, &QScreen::geometryChanged, this, restart);
    connect(screen, &QScreen::availableGeometryChanged, this, restart);
    connect(screen, &QScreen::logicalDotsPerInchChanged, this, restart);
    connect(screen, &QScreen::physicalDotsPerInchChanged, this, restart);
}
