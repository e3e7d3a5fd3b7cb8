// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenWatcher.h"

#include "DesktopScales.h"

#include <QGuiApplication>
#include <QScreen>

ScreenWatcher::ScreenWatcher(const ScreenInfo& screens, QObject* parent)
    : QObject(parent), m_screens(screens), m_told(layout())
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(QuietMilliseconds);
    connect(&m_quiet, &QTimer::timeout, this, [this] {
        // Events that end where they started (a monitor off and on again) change nothing on screen.
        const QString now = layout();
        if (now != m_told) {
            m_told = now;
            emit changed();
        }
    });
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

QString ScreenWatcher::layout() const
{
    QString text;
    for (const MonitorGeometry& m : m_screens.monitors()) {
        const QRect area = m.screen.deviceAvailable();
        text += QStringLiteral("%1 %2,%3 %4x%5 %6 %7,%8,%9,%10;")
                    .arg(m.name)
                    .arg(m.place.x())
                    .arg(m.place.y())
                    .arg(m.place.width())
                    .arg(m.place.height())
                    .arg(m.screen.devicePixelRatio)
                    .arg(area.x())
                    .arg(area.y())
                    .arg(area.width())
                    .arg(area.height());
    }
    return text;
}
