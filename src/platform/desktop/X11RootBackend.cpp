// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11RootBackend.h"

#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <bit>
#include <cstdlib>
#include <memory>
#include <optional>
#include <utility>

namespace {

const QString kWho = QStringLiteral("X11 root window");

Failure failure(const QString& what)
{
    return Failure::because(kWho + QStringLiteral(": ") + what);
}

// Xlib's default error handler ends the process; collect the first error instead. Xlib calls the handler
// on the thread that made the failing request, so a thread-local slot is enough.
thread_local int t_errorCode = 0;
thread_local Display* t_errorDisplay = nullptr;

int recordError(Display* display, XErrorEvent* event)
{
    if (display == t_errorDisplay && t_errorCode == 0)
        t_errorCode = event->error_code;
    return 0;
}

/** Routes errors on one connection into t_errorCode for its lifetime, then restores the old handler. */
class ErrorTrap
{
public:
    explicit ErrorTrap(Display* display) : m_previous(XSetErrorHandler(recordError))
    {
        t_errorDisplay = display;
        t_errorCode = 0;
    }
    ~ErrorTrap()
    {
        XSetErrorHandler(m_previous);
        t_errorDisplay = nullptr;
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    /** Waits for the server to handle every request so far and returns (and clears) the first error. */
    static int sync(Display* display)
    {
        XSync(display, False);
        return std::exchange(t_errorCode, 0);
    }

private:
    XErrorHandler m_previous;
};

QString errorText(Display* display, int code)
{
    char text[256] = {};
    XGetErrorText(display, code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

int maskShift(unsigned long mask)
{
    return mask == 0 ? 0 : std::countr_zero(mask);
}

unsigned long scaleChannel(int value, unsigned long mask)
{
    const unsigned long max = mask >> maskShift(mask);
    return ((static_cast<unsigned long>(value) * max + 127) / 255) << maskShift(mask);
}

/** Whether the server's pixels are laid out as QImage's RGB32 is, so a QImage can draw into them. */
bool takesRgb32(const XImage& image, const Visual& visual)
{
    return image.bits_per_pixel == 32 && visual.red_mask == 0xff0000 && visual.green_mask == 0xff00 &&
           visual.blue_mask == 0xff &&
           image.byte_order == (std::endian::native == std::endian::little ? LSBFirst : MSBFirst);
}

/**
 * Draws the bitmap into `screen` as the style asks: centred or tiled at its own size, else stretched.
 * A bitmap as large as the screen, which is what a stretched change makes, is read straight into it.
 */
bool drawScreen(const QString& bitmapPath, WallpaperStyle style, QImage& screen)
{
    // Only the BMP reader: left to guess, Qt would load every image plugin to ask each one.
    QImageReader reader(bitmapPath, "bmp");
    reader.setAutoDetectImageFormat(false);
    if (style != WallpaperStyle::Tile && reader.size() == screen.size()) {
        // The reader fills an image of the right size and format in place; if it made its own, copy.
        uchar* pixels = screen.bits();
        QImage target(pixels, screen.width(), screen.height(), screen.bytesPerLine(), screen.format());
        if (!reader.read(&target))
            return false;
        if (target.constBits() != pixels) {
            QPainter painter(&screen);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(0, 0, target);
        }
        return true;
    }
    const QImage picture = reader.read();
    if (picture.isNull())
        return false;
    screen.fill(Qt::black);
    QPainter painter(&screen);
    const int width = screen.width();
    const int height = screen.height();
    if (style == WallpaperStyle::Center) {
        painter.drawImage((width - picture.width()) / 2, (height - picture.height()) / 2, picture);
    } else if (style == WallpaperStyle::Tile) {
        for (int y = 0; y < height; y += picture.height())
            for (int x = 0; x < width; x += picture.width())
                painter.drawImage(x, y, picture);
    } else {
        painter.drawImage(0, 0,
                          picture.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    return true;
}

/** Frees an XImage and the pixels it holds. */
struct ImageRelease
{
    void operator()(XImage* image) const { XDestroyImage(image); }
};
using ScreenImage = std::unique_ptr<XImage, ImageRelease>;

/**
 * The wallpaper as an XImage in the screen's own pixel format, drawn straight into the server's
 * format where that is RGB32; why not when the bitmap cannot be read.
 */
Result<ScreenImage> screenImage(Display* display, int screenNumber, const QString& bitmapPath,
                                WallpaperStyle style)
{
    Visual* visual = DefaultVisual(display, screenNumber);
    const int width = DisplayWidth(display, screenNumber);
    const int height = DisplayHeight(display, screenNumber);
    XImage* image = XCreateImage(display, visual, DefaultDepth(display, screenNumber), ZPixmap, 0, nullptr,
                                 width, height, 32, 0);
    if (image != nullptr)
        image->data = static_cast<char*>(std::malloc(static_cast<size_t>(image->bytes_per_line) * height));
    ScreenImage owned(image);
    if (image == nullptr || image->data == nullptr)
        return failure(QStringLiteral("out of memory for a %1 x %2 picture").arg(width).arg(height));
    const bool direct = takesRgb32(*image, *visual);
    QImage screen = direct ? QImage(reinterpret_cast<uchar*>(image->data), width, height,
                                    image->bytes_per_line, QImage::Format_RGB32)
                           : QImage(width, height, QImage::Format_RGB32);
    if (!drawScreen(bitmapPath, style, screen))
        return failure(QStringLiteral("cannot read the bitmap \"%1\"").arg(bitmapPath));
    for (int y = 0; !direct && y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(screen.constScanLine(y));
        for (int x = 0; x < width; ++x)
            XPutPixel(image, x, y,
                      scaleChannel(qRed(row[x]), visual->red_mask) |
                          scaleChannel(qGreen(row[x]), visual->green_mask) |
                          scaleChannel(qBlue(row[x]), visual->blue_mask));
    }
    return owned;
}

std::optional<Pixmap> readPixmapAtom(Display* display, Window root, const char* name)
{
    const Atom atom = XInternAtom(display, name, True);
    if (atom == None)
        return std::nullopt;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::optional<Pixmap> result;
    if (XGetWindowProperty(display, root, atom, 0, 1, False, XA_PIXMAP, &type, &format, &count, &remaining,
                           &data) == Success &&
        type == XA_PIXMAP && format == 32 && count == 1)
        result = *reinterpret_cast<Pixmap*>(data);
    if (data != nullptr)
        XFree(data);
    return result;
}

void writePixmapAtom(Display* display, Window root, const char* name, Pixmap pixmap)
{
    const Atom atom = XInternAtom(display, name, False);
    XChangeProperty(display, root, atom, XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pixmap), 1);
}

} // namespace

X11RootBackend::X11RootBackend(QString displayName) : m_displayName(std::move(displayName)) {}

Result<> X11RootBackend::applyStyleThenFiles(const QStringList& files, WallpaperStyle style)
{
    // A connection of our own: it is left behind in RetainPermanent mode so the pixmap outlives us.
    const QByteArray displayName = m_displayName.toLocal8Bit();
    std::unique_ptr<Display, decltype(&XCloseDisplay)> owner(
        XOpenDisplay(displayName.isEmpty() ? nullptr : displayName.constData()), &XCloseDisplay);
    if (!owner) {
        const QString shown = m_displayName.isEmpty() ? qEnvironmentVariable("DISPLAY") : m_displayName;
        return failure(QStringLiteral("cannot open the X display \"%1\"").arg(shown));
    }
    Display* display = owner.get();
    ErrorTrap trap(display);
    const int screenNumber = DefaultScreen(display);
    const Window root = RootWindow(display, screenNumber);

    Result<ScreenImage> drawn = screenImage(display, screenNumber, files.value(0), style);
    if (!drawn)
        return drawn.failure();
    XImage* image = drawn->get();
    const Pixmap pixmap =
        XCreatePixmap(display, root, image->width, image->height, DefaultDepth(display, screenNumber));
    GC gc = XCreateGC(display, pixmap, 0, nullptr);
    XPutImage(display, pixmap, gc, image, 0, 0, 0, 0, image->width, image->height);
    XFreeGC(display, gc);
    drawn.value().reset();
    if (const int code = ErrorTrap::sync(display))
        return failure(QStringLiteral("the X server refused the picture: %1").arg(errorText(display, code)));

    const auto rootPixmap = readPixmapAtom(display, root, "_XROOTPMAP_ID");
    const auto esetrootPixmap = readPixmapAtom(display, root, "ESETROOT_PMAP_ID");

    XSetWindowBackgroundPixmap(display, root, pixmap);
    XClearWindow(display, root);
    writePixmapAtom(display, root, "_XROOTPMAP_ID", pixmap);
    writePixmapAtom(display, root, "ESETROOT_PMAP_ID", pixmap);
    if (const int code = ErrorTrap::sync(display))
        return failure(
            QStringLiteral("the X server refused the wallpaper: %1").arg(errorText(display, code)));

    // Only a pixmap published under both names comes from a setter that left its connection behind for it
    // alone; killing the owner of any other could end a live program (a desktop drawing its own background).
    if (rootPixmap && rootPixmap == esetrootPixmap && *rootPixmap != pixmap) {
        XKillClient(display, *rootPixmap);
        ErrorTrap::sync(display); // that client may be gone already: nothing left to free
    }

    XSetCloseDownMode(display, RetainPermanent);
    if (const int code = ErrorTrap::sync(display))
        return failure(
            QStringLiteral("the X server would not keep the wallpaper: %1").arg(errorText(display, code)));
    return {};
}
