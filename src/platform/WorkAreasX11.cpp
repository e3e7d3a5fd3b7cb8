// SPDX-License-Identifier: GPL-3.0-or-later
#include "WorkAreas.h"

#include <QByteArray>
#include <QGuiApplication>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <memory>

namespace {

/** A CARDINAL or WINDOW list property of a window; empty when it is not there. */
QList<long> longs(Display* display, Window window, const char* name, Atom type)
{
    const Atom atom = XInternAtom(display, name, True);
    QList<long> values;
    Atom actual = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    if (atom != None &&
        XGetWindowProperty(display, window, atom, 0, 4096, False, type, &actual, &format, &count, &remaining,
                           &data) == Success &&
        actual == type && format == 32) {
        // Xlib hands 32-bit items as longs.
        const auto* items = reinterpret_cast<const long*>(data);
        for (unsigned long i = 0; i < count; ++i)
            values.append(items[i]);
    }
    if (data != nullptr)
        XFree(data);
    return values;
}

QList<QRect> rects(const QList<long>& values)
{
    QList<QRect> result;
    for (qsizetype i = 0; i + 3 < values.size(); i += 4)
        result.append(QRect(int(values[i]), int(values[i + 1]), int(values[i + 2]), int(values[i + 3])));
    return result;
}

/** What docks reserve on the monitor's edges (_NET_WM_STRUT_PARTIAL), taken off the monitor. */
QRect outsideStruts(Display* display, Window root, const QRect& monitor, QSize rootSize)
{
    QRect area = monitor;
    for (const long client : longs(display, root, "_NET_CLIENT_LIST", XA_WINDOW)) {
        const QList<long> s = longs(display, Window(client), "_NET_WM_STRUT_PARTIAL", XA_CARDINAL);
        if (s.size() < 12)
            continue;
        // left, right, top, bottom, then the start and end of each along its edge.
        const auto spans = [](long start, long end, int from, int to) {
            return start <= to && end >= from;
        };
        if (s[0] > 0 && spans(s[4], s[5], monitor.top(), monitor.bottom()))
            area.setLeft(qMax(area.left(), int(s[0])));
        if (s[1] > 0 && spans(s[6], s[7], monitor.top(), monitor.bottom()))
            area.setRight(qMin(area.right(), rootSize.width() - int(s[1]) - 1));
        if (s[2] > 0 && spans(s[8], s[9], monitor.left(), monitor.right()))
            area.setTop(qMax(area.top(), int(s[2])));
        if (s[3] > 0 && spans(s[10], s[11], monitor.left(), monitor.right()))
            area.setBottom(qMin(area.bottom(), rootSize.height() - int(s[3]) - 1));
    }
    return area;
}

} // namespace

QList<QRect> WorkAreas::of(const QList<QRect>& monitors)
{
    QList<QRect> areas(monitors.size());
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 != nullptr ? x11->display() : nullptr;
    if (display == nullptr)
        return areas;
    const Window root = DefaultRootWindow(display);
    const QList<long> current = longs(display, root, "_NET_CURRENT_DESKTOP", XA_CARDINAL);
    const long desktop = current.isEmpty() ? 0 : current.first();
    // GNOME and MATE publish each monitor's work area; any other desktop, the union's and the docks' struts.
    const QList<QRect> perMonitor = rects(longs(
        display, root, QByteArray("_GTK_WORKAREAS_D" + QByteArray::number(qint64(desktop))), XA_CARDINAL));
    const QList<QRect> unions = rects(longs(display, root, "_NET_WORKAREA", XA_CARDINAL));
    const QRect united = desktop < unions.size() ? unions.at(desktop) : QRect();
    const QSize rootSize(DisplayWidth(display, DefaultScreen(display)),
                         DisplayHeight(display, DefaultScreen(display)));
    for (qsizetype i = 0; i < monitors.size(); ++i) {
        const QRect& monitor = monitors.at(i);
        for (const QRect& area : perMonitor) {
            if (monitor.contains(area) && !area.isEmpty())
                areas[i] = area;
        }
        if (areas[i].isEmpty()) {
            const QRect docks = outsideStruts(display, root, monitor, rootSize);
            areas[i] = united.isEmpty() ? docks : docks.intersected(united);
        }
    }
    return areas;
}
