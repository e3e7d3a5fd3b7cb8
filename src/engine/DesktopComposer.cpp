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

const DesktopComposer::Picture& DesktopComposer::pictureFor(qsizetype index,
                                                            const QList<Picture>& pictures) const
{
    return pictures.at(m_screens == CheckedSettings::Screens::Each ? index % pictures.size() : 0);
}

Result<QImage> DesktopComposer::composeOne(const ScreenGeometry& screen, FileSystem& files,
                                           const Picture& picture, const QString& fallback,
                                           const DecodeDeadline& deadline, QImage* into,
                                           BitmapWriter* early) const
{
    const WallpaperComposer composer(screen, m_settings);
    Result<QImage> part = composer.composeFile(files, picture.path, picture.caption, early, deadline, into);
    if (!part && !deadline.expired())
        part = composer.composeFile(files, fallback, picture.caption, early, deadline);
    return part;
}

Result<QImage> DesktopComposer::composePart(qsizetype index, FileSystem& files,
                                            const QList<Picture>& pictures, const QString& fallback,
                                            BitmapWriter* early, const DecodeDeadline& deadline) const
{
    if (index < 0 || index >= m_monitors.size() || pictures.isEmpty())
        return QImage();
    return composeOne(m_monitors.at(index).screen, files, pictureFor(index, pictures), fallback, deadline,
                      nullptr, early);
}

QImage DesktopComposer::partOf(const QImage& desktop, qsizetype index) const
{
    const QRect part = m_monitors.at(index).place.translated(-m_desktop.topLeft());
    if (desktop.isNull() || !desktop.rect().contains(part) || desktop.depth() != 32)
        return desktop.copy(part);
    return QImage(desktop.constBits() + qsizetype(part.y()) * desktop.bytesPerLine() +
                      qsizetype(part.x()) * 4,
                  part.width(), part.height(), desktop.bytesPerLine(), desktop.format());
}

bool DesktopComposer::sameParts(qsizetype index, qsizetype other, const QList<Picture>& pictures) const
{
    const Picture& one = pictureFor(index, pictures);
    const Picture& two = pictureFor(other, pictures);
    return m_screens != CheckedSettings::Screens::Span && one.path == two.path &&
           one.caption == two.caption && m_monitors.at(index).screen == m_monitors.at(other).screen;
}

Result<QImage> DesktopComposer::composeFiles(FileSystem& files, const QList<Picture>& pictures,
                                             const QString& fallback, const DecodeDeadline& deadline) const
{
    if (m_monitors.isEmpty() || pictures.isEmpty())
        return QImage();
    if (m_screens == CheckedSettings::Screens::Span)
        return composeOne(spanned(), files, pictures.constFirst(), fallback, deadline, nullptr);

    QImage desktop(m_desktop.size(), QImage::Format_RGB32);
    if (desktop.isNull())
        return desktop;
    desktop.fill(Qt::black);
    for (qsizetype i = 0; i < m_monitors.size(); ++i) {
        const MonitorGeometry& monitor = m_monitors.at(i);
        // The monitor's part of the desktop's own pixels: a photo stretched is painted straight into it.
        const QPoint corner = monitor.place.topLeft() - m_desktop.topLeft();
        QImage place(desktop.bits() + qsizetype(corner.y()) * desktop.bytesPerLine() +
                         qsizetype(corner.x()) * 4,
                     monitor.place.width(), monitor.place.height(), desktop.bytesPerLine(), desktop.format());
        Result<QImage> part =
            composeOne(monitor.screen, files, pictureFor(i, pictures), fallback, deadline, &place);
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
