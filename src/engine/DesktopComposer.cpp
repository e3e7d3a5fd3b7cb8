// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopComposer.h"

#include <QPainter>

DesktopComposer::DesktopComposer(QList<MonitorGeometry> monitors, CompositionSettings settings,
                                 CheckedSettings::Screens screens)
    : m_monitors(std::move(monitors)), m_settings(std::move(settings)), m_screens(screens)
{
    // Every part is a whole bitmap of its own screen: a desktop would scale or centre nothing.
    m_settings.centreOnScreen = true;
    for (const MonitorGeometry& monitor : std::as_const(m_monitors))
        m_desktop |= monitor.place;
}

ScreenGeometry DesktopComposer::spanned() const
{
    const MonitorGeometry& primary = m_monitors.constFirst();
    ScreenGeometry screen;
    // One logical pixel per device pixel, at the primary's density, so that the caption keeps its size.
    screen.logicalSize = m_desktop.size();
    screen.devicePixelRatio = 1.0;
    screen.logicalDpi = primary.screen.logicalDpi * primary.screen.devicePixelRatio;
    screen.available =
        primary.screen.deviceAvailable().translated(primary.place.topLeft() - m_desktop.topLeft());
    return screen;
}

std::optional<QImage> DesktopComposer::composeOne(const ScreenGeometry& screen, FileSystem& files,
                                                  const Picture& picture, const QString& fallback,
                                                  QString* reason, const DecodeDeadline& deadline,
                                                  QImage* into) const
{
    const WallpaperComposer composer(screen, m_settings);
    std::optional<QImage> part =
        composer.composeFile(files, picture.path, picture.caption, reason, nullptr, deadline, into);
    if (!part && !deadline.expired())
        part = composer.composeFile(files, fallback, picture.caption, reason, nullptr, deadline);
    return part;
}

std::optional<QImage> DesktopComposer::composeFiles(FileSystem& files, const QList<Picture>& pictures,
                                                    const QString& fallback, QString* reason,
                                                    const DecodeDeadline& deadline) const
{
    if (m_monitors.isEmpty() || pictures.isEmpty())
        return QImage();
    if (m_screens == CheckedSettings::Screens::Span)
        return composeOne(spanned(), files, pictures.constFirst(), fallback, reason, deadline, nullptr);

    QImage desktop(m_desktop.size(), QImage::Format_RGB32);
    if (desktop.isNull())
        return desktop;
    desktop.fill(Qt::black);
    for (qsizetype i = 0; i < m_monitors.size(); ++i) {
        const bool own = m_screens == CheckedSettings::Screens::Each;
        const Picture& picture = pictures.at(own ? i % pictures.size() : 0);
        const MonitorGeometry& monitor = m_monitors.at(i);
        // The monitor's part of the desktop's own pixels: a photo stretched is painted straight into it.
        const QPoint corner = monitor.place.topLeft() - m_desktop.topLeft();
        QImage place(desktop.bits() + qsizetype(corner.y()) * desktop.bytesPerLine() +
                         qsizetype(corner.x()) * 4,
                     monitor.place.width(), monitor.place.height(), desktop.bytesPerLine(), desktop.format());
        std::optional<QImage> part =
            composeOne(monitor.screen, files, picture, fallback, reason, deadline, &place);
        if (!part || part->isNull())
            return part;
        if (part->constBits() == place.constBits())
            continue;
        QPainter painter(&desktop);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(monitor.place.topLeft() - m_desktop.topLeft(), *part);
    }
    return desktop;
}
