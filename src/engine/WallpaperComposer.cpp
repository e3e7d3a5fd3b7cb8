// SPDX-License-Identifier: GPL-3.0-or-later
#include "WallpaperComposer.h"

#include "AreaScaler.h"
#include "BitmapWriter.h"
#include "CaptionPainter.h"
#include "PictureFit.h"
#include "PictureLoader.h"

#include <QPainter>

namespace {

/** The picture as opaque RGB32, whatever it was decoded as; see-through parts show the white canvas. */
QImage opaque(QImage picture)
{
    if (picture.format() == QImage::Format_RGB32)
        return picture;
    if (!picture.hasAlphaChannel())
        return picture.convertToFormat(QImage::Format_RGB32);
    // Laid onto white where it lies, so that a large picture is not held twice.
    picture.convertTo(QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&picture);
        painter.setCompositionMode(QPainter::CompositionMode_DestinationOver);
        painter.fillRect(picture.rect(), Qt::white);
    }
    picture.reinterpretAsFormat(QImage::Format_RGB32);
    return picture;
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

/** The middle `part` of `picture`, sharing its pixels: a cropped photo is not copied. */
QImage partOf(const QImage& picture, const QRect& part)
{
    const uchar* corner =
        picture.constBits() + qsizetype(part.y()) * picture.bytesPerLine() + qsizetype(part.x()) * 4;
    return QImage(corner, part.width(), part.height(), picture.bytesPerLine(), picture.format());
}

} // namespace

CompositionSettings CompositionSettings::from(const CheckedSettings& settings)
{
    return {settings.displayType(),      settings.captionPlacement(),  settings.captionPosition(),
            CaptionFont::from(settings), CaptionStyle::from(settings), settings.fitting()};
}

WallpaperComposer::WallpaperComposer(const ScreenGeometry& screen, CompositionSettings settings)
    : m_screen(screen), m_scale(screen), m_settings(std::move(settings))
{}

WallpaperComposer::Caption WallpaperComposer::measured(const QString& caption) const
{
    Caption result{CaptionPainter(m_settings.font, m_scale, caption), 0, m_settings.style};
    // Placed off the picture, a caption that is neither "" nor " " gets a strip of its own.
    if (m_settings.captionPlacement == CheckedSettings::CaptionPlacement::InBand && !caption.isEmpty() &&
        caption != QLatin1String(" "))
        result.strip = m_scale.deviceLength(result.painter.lineHeight());
    // The strip is white whatever the picture: its letters keep the user's colour.
    if (result.strip > 0)
        result.style = CaptionStyle();
    return result;
}

bool WallpaperComposer::screenSized() const
{
    return m_settings.displayType != CheckedSettings::DisplayType::Centre || m_settings.centreOnScreen;
}

int WallpaperComposer::centredWidth(int picture, const Caption& caption) const
{
    const int screen = m_screen.deviceSize().width();
    const QRect work = m_screen.deviceAvailable();
    const int needed = qMin(caption.painter.widthNeeded(), work.width());
    if (needed == 0)
        return picture;
    // The block lies from (screen - width) / 2 to (screen + width) / 2, rounded down: it must be as wide
    // as the caption, and reach that far right of the work area's left edge and left of its right edge.
    const int pastLeft = 2 * (work.left() + needed) - screen;
    const int pastRight = screen - 2 * (work.right() + 1 - needed) - 1;
    return qMax(qMax(picture, needed), qMax(pastLeft, pastRight));
}

WallpaperComposer::Layout WallpaperComposer::layout(QSize picture, const Caption& caption) const
{
    const QSize screen = m_screen.deviceSize();
    const int strip = caption.strip;
    const bool centred = m_settings.displayType == CheckedSettings::DisplayType::Centre;
    // A centred bitmap larger than the screen would only be cut by the desktop, and its strip with it.
    const QSize block = centred ? QSize(centredWidth(qMin(picture.width(), screen.width()), caption),
                                        qMin(picture.height() + strip, screen.height()))
                                : screen;
    // Where it lies on the screen: the desktop centres a centred bitmap, and so do we when we place it.
    const QPoint onScreen((screen.width() - block.width()) / 2, (screen.height() - block.height()) / 2);
    Layout result;
    result.content = QRect(onScreen, block);
    result.captionArea = m_screen.deviceAvailable().intersected(result.content);
    if (result.captionArea.isEmpty())
        result.captionArea = result.content;
    result.picture = result.content;
    if (strip > 0) {
        // A panel's edge moves the strip inwards; the band under the panel stays with the strip.
        const bool top = m_settings.captionPosition != CheckedSettings::CaptionPosition::BottomCentre;
        if (top)
            result.picture.setTop(result.captionArea.top() + strip);
        else
            result.picture.setBottom(result.captionArea.bottom() - strip);
    }
    result.canvas = QRect(QPoint(0, 0), screen);
    if (!screenSized()) {
        // The bitmap is the block alone, which the desktop centres.
        result.canvas = QRect(QPoint(0, 0), block);
        result.content.translate(-onScreen);
        result.picture.translate(-onScreen);
        result.captionArea.translate(-onScreen);
    }
    return result;
}

PictureView WallpaperComposer::view(const QString& caption, QSize picture) const
{
    return view(measured(caption), picture);
}

PictureView WallpaperComposer::view(const Caption& caption, QSize picture) const
{
    PictureView view;
    const QSize screen = m_screen.deviceSize();
    if (m_settings.displayType == CheckedSettings::DisplayType::Stretch) {
        const QRect area = layout(screen, caption).picture;
        switch (m_settings.fitting) {
        case CheckedSettings::Fitting::Stretch:
            view.scaledTo = area.size();
            break;
        case CheckedSettings::Fitting::Fit:
            view.scaledTo = PictureFit::fitted(picture, area).size();
            break;
        case CheckedSettings::Fitting::Fill:
            view.scaledTo = PictureFit::coveringSize(picture, area.size());
            break;
        }
    } else if (m_settings.displayType == CheckedSettings::DisplayType::Tile) {
        // A picture larger than the screen fills it with its first tile.
        view.clipTo = screen;
    } else {
        view.clipTo = QSize(screen.width(), qMax(1, screen.height() - caption.strip));
        view.fromCentre = true;
    }
    return view;
}

QImage WallpaperComposer::tiled(const QImage& picture) const
{
    const QSize screen = m_screen.deviceSize();
    if (picture.size() == screen)
        return picture;
    QImage canvas(screen, QImage::Format_RGB32);
    if (canvas.isNull())
        return canvas;
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    // Tiles start at the top-left corner; the last ones in each direction are cut at the edge.
    for (int y = 0; y < screen.height(); y += picture.height()) {
        for (int x = 0; x < screen.width(); x += picture.width())
            painter.drawImage(x, y, picture);
    }
    return canvas;
}

void WallpaperComposer::paintPicture(const QImage& picture, QImage& canvas, const Layout& where) const
{
    if (m_settings.displayType == CheckedSettings::DisplayType::Tile) {
        paintScaled(picture, canvas, where.picture);
    } else if (m_settings.displayType != CheckedSettings::DisplayType::Stretch) {
        // Pixel for pixel in the middle of its block, which a wide caption widens; where the strip or a
        // panel leaves less room, the middle is kept.
        QPainter painter(&canvas);
        painter.setClipRect(where.picture);
        const QSize spare = where.picture.size() - picture.size();
        painter.drawImage(where.picture.topLeft() + QPoint(spare.width() / 2, spare.height() / 2), picture);
    } else if (m_settings.fitting == CheckedSettings::Fitting::Fit) {
        QPainter(&canvas).fillRect(where.picture, Qt::black);
        paintScaled(picture, canvas, PictureFit::fitted(picture.size(), where.picture));
    } else if (m_settings.fitting == CheckedSettings::Fitting::Fill) {
        paintScaled(partOf(picture, PictureFit::covering(picture.size(), where.picture.size())), canvas,
                    where.picture);
    } else {
        paintScaled(picture, canvas, where.picture);
    }
}

QImage WallpaperComposer::compose(QImage source, const QString& caption) const
{
    return compose(std::move(source), measured(caption));
}

QImage WallpaperComposer::compose(QImage source, const Caption& caption) const
{
    QImage picture = opaque(std::move(source));
    // A picture with no size cannot be tiled or painted.
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0)
        return {};

    if (m_settings.displayType == CheckedSettings::DisplayType::Tile) {
        picture = tiled(picture);
        if (picture.isNull())
            return {};
    }

    const Layout where = layout(picture.size(), caption);
    QImage canvas;
    if (m_settings.displayType == CheckedSettings::DisplayType::Tile && where.picture == where.canvas) {
        canvas = picture; // the tiled screen is already the whole bitmap
    } else {
        canvas = QImage(where.canvas.size(), QImage::Format_RGB32);
        if (canvas.isNull())
            return {};
        if (where.content == where.canvas) {
            canvas.fill(Qt::white);
        } else {
            canvas.fill(Qt::black); // the surround of a picture placed on the screen, as fit leaves it
            QPainter(&canvas).fillRect(where.content, Qt::white);
        }
        paintPicture(picture, canvas, where);
    }
    picture = QImage(); // a photo-sized buffer need not live through the caption and the save
    caption.painter.paint(canvas, where.captionArea, m_settings.captionPosition, caption.style);
    return canvas;
}

Result<QImage> WallpaperComposer::composeFile(FileSystem& files, const QString& path, const QString& text,
                                              BitmapWriter* early, const DecodeDeadline& deadline,
                                              QImage* into) const
{
    const Caption caption = measured(text);
    if (m_settings.displayType == CheckedSettings::DisplayType::Stretch &&
        m_settings.fitting == CheckedSettings::Fitting::Stretch) {
        const Layout where = layout(m_screen.deviceSize(), caption);
        // Left unfilled: the picture covers its part, and an unused canvas costs no memory.
        QImage own;
        const bool given = into != nullptr && into->size() == where.canvas.size();
        if (!given)
            own = QImage(where.canvas.size(), QImage::Format_RGB32);
        QImage& canvas = given ? *into : own;
        if (canvas.isNull())
            return QImage();
        const QRect band = caption.painter.band(canvas.size(), where.captionArea, m_settings.captionPosition);
        const auto rowDone = [&](int y) {
            if (y < band.top() || y > band.bottom())
                early->writeRow(canvas, y);
        };
        if (PictureLoader::shrinkInto(files, path, canvas, where.picture,
                                      early != nullptr ? AreaScaler::RowDone(rowDone) : AreaScaler::RowDone(),
                                      deadline)) {
            QPainter margins(&canvas);
            margins.setClipRegion(QRegion(where.canvas).subtracted(where.picture));
            margins.fillRect(where.canvas, Qt::white);
            margins.end();
            caption.painter.paint(canvas, where.captionArea, m_settings.captionPosition, caption.style);
            return canvas;
        }
        if (early != nullptr)
            early->forgetRows();
    }
    // Filled or fitted, the scale follows the picture's shape, which its header tells.
    const QSize shape = m_settings.fitting != CheckedSettings::Fitting::Stretch
                            ? PictureLoader::uprightSize(files, path)
                            : QSize();
    Result<QImage> picture = PictureLoader::load(files, path, view(caption, shape), deadline);
    if (!picture)
        return picture;
    return compose(std::move(picture).value(), caption);
}
