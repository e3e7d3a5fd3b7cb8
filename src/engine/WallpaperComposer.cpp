// SPDX-License-Identifier: GPL-3.0-or-later
#include "WallpaperComposer.h"

#include "AreaScaler.h"
#include "CaptionPainter.h"
#include "LargeImage.h"
#include "core/SettingValue.h"
#include "core/Settings.h"

#include <QPainter>

namespace {

/** The picture as opaque RGB32, whatever it was decoded as; see-through parts show the white canvas. */
QImage opaque(const QImage& picture)
{
    if (picture.format() == QImage::Format_RGB32)
        return picture;
    if (!picture.hasAlphaChannel())
        return picture.convertToFormat(QImage::Format_RGB32);
    QImage flat = LargeImage::allocate(picture.size(), QImage::Format_RGB32);
    if (flat.isNull())
        return flat;
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, picture);
    return flat;
}

/** Paints the whole of `picture` into `target`, each direction scaled on its own. */
void paintScaled(const QImage& picture, QImage& canvas, const QRect& target)
{
    if (target.isEmpty())
        return;
    if (target.size() == picture.size()) {
        QPainter painter(&canvas);
        painter.drawImage(target.topLeft(), picture);
        return;
    }
    if (picture.width() >= target.width() && picture.height() >= target.height()) {
        AreaScaler::shrinkInto(picture, canvas, target);
        return;
    }
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(target), picture);
}

} // namespace

std::optional<CompositionSettings> CompositionSettings::fromSettings(const Settings& settings)
{
    const std::optional<double> displayType = SettingValue::toNumber(settings.displayType);
    const std::optional<double> onOffCaption = SettingValue::toNumber(settings.onOffCaption);
    const std::optional<double> captionPosition = SettingValue::toNumber(settings.captionPosition);
    const std::optional<CaptionFont> font = CaptionFont::fromSettings(settings);
    if (!displayType || !onOffCaption || !captionPosition || !font)
        return std::nullopt;
    return CompositionSettings{*displayType, *onOffCaption, *captionPosition, *font};
}

WallpaperComposer::WallpaperComposer(const ScreenGeometry& screen, CompositionSettings settings)
    : m_screen(screen), m_scale(screen), m_settings(std::move(settings))
{}

bool WallpaperComposer::stripRule(double onOffCaption, const QString& caption)
{
    return onOffCaption == 1 && !caption.isEmpty() && caption != QLatin1String(" ");
}

QRectF WallpaperComposer::pictureRect(QSizeF canvas, double strip, double captionPosition)
{
    if (strip <= 0)
        return QRectF(QPointF(0, 0), canvas);
    // Positions other than the two top ones print at the bottom, so the strip goes there too.
    const bool top = captionPosition == 0 || captionPosition == 1;
    return QRectF(0, top ? strip : 0, canvas.width(), canvas.height() - strip);
}

double WallpaperComposer::stripHeight(const QString& caption) const
{
    if (!stripRule(m_settings.onOffCaption, caption))
        return 0;
    return CaptionPainter(m_settings.font, m_scale).lineHeight();
}

QSize WallpaperComposer::shownSize(const QString& caption) const
{
    if (m_settings.displayType != 0)
        return {};
    const QSizeF screen(m_scale.fromPixels(m_screen.logicalSize.width()),
                        m_scale.fromPixels(m_screen.logicalSize.height()));
    return m_scale.deviceRect(pictureRect(screen, stripHeight(caption), m_settings.captionPosition)).size();
}

QImage WallpaperComposer::tiled(const QImage& picture) const
{
    QImage canvas = LargeImage::allocate(m_screen.deviceSize(), QImage::Format_RGB32);
    if (canvas.isNull())
        return canvas;
    canvas.fill(Qt::white);
    const double w = m_scale.fromPixels(picture.width());
    const double h = m_scale.fromPixels(picture.height());
    const double screenWidth = m_scale.fromPixels(m_screen.logicalSize.width());
    const double canvasHeight = m_scale.fromPixels(m_screen.logicalSize.height());
    const QSize tileSize = m_scale.deviceRect(QRectF(0, 0, w, h)).size();
    const QImage tile = tileSize == picture.size()
                            ? picture
                            : picture.scaled(tileSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&canvas);
    // Tiles start at the top-left corner and run past the right and bottom edges by up to one tile.
    for (double y = 0; y < canvasHeight + h; y += h) {
        for (double x = 0; x < screenWidth + w; x += w)
            painter.drawImage(m_scale.deviceRect(QRectF(x, y, w, h)).topLeft(), tile);
    }
    return canvas;
}

QImage WallpaperComposer::compose(QImage source, const QString& caption) const
{
    QImage picture = opaque(source);
    source = QImage();
    // A picture with no size cannot be tiled or painted.
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0)
        return {};

    const bool screenSized = m_settings.displayType == 0 || m_settings.displayType == 2;
    if (m_settings.displayType == 2) {
        picture = tiled(picture);
        if (picture.isNull())
            return {};
    }

    const double strip = stripHeight(caption);
    const QSizeF canvasTwips = screenSized ? QSizeF(m_scale.fromPixels(m_screen.logicalSize.width()),
                                                    m_scale.fromPixels(m_screen.logicalSize.height()))
                                           : QSizeF(m_scale.fromPixels(picture.width()),
                                                    m_scale.fromPixels(picture.height()) + strip);
    const QRect target = m_scale.deviceRect(pictureRect(canvasTwips, strip, m_settings.captionPosition));
    const QSize canvasSize = m_scale.deviceRect(QRectF(QPointF(0, 0), canvasTwips)).size();

    QImage canvas;
    if (m_settings.displayType == 2 && strip <= 0 && picture.size() == canvasSize) {
        canvas = picture; // the tiled screen is already the whole bitmap
    } else {
        canvas = LargeImage::allocate(canvasSize, QImage::Format_RGB32);
        if (canvas.isNull())
            return {};
        canvas.fill(Qt::white);
        paintScaled(picture, canvas, target);
    }
    picture = QImage(); // a photo-sized buffer need not live through the caption and the save

    CaptionPainter(m_settings.font, m_scale).paint(canvas, caption, m_settings.captionPosition);
    return canvas;
}
