// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopScales.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QHash>
#include <QSize>
#include <QVariantMap>

namespace {

const QString Service = QStringLiteral("org.gnome.Mutter.DisplayConfig");
const QString Path = QStringLiteral("/org/gnome/Mutter/DisplayConfig");
/** mutter's layout mode in which monitors lie in device pixels, as Xwayland shows them. */
constexpr uint PhysicalLayout = 2;
/** A change runs while the screens are read: a shell that does not answer must not hold it long. */
constexpr int TimeoutMilliseconds = 500;

/** Each connector's current mode size, from GetCurrentState's monitors: a((ssss)a(siiddada{sv})a{sv}). */
QHash<QString, QSize> currentModes(const QDBusArgument& monitors)
{
    QHash<QString, QSize> modes;
    monitors.beginArray();
    while (!monitors.atEnd()) {
        monitors.beginStructure();
        QString connector, vendor, product, serial;
        monitors.beginStructure();
        monitors >> connector >> vendor >> product >> serial;
        monitors.endStructure();
        monitors.beginArray();
        while (!monitors.atEnd()) {
            QString id;
            int width = 0, height = 0;
            double refresh = 0, preferredScale = 0;
            QList<double> scales;
            QVariantMap properties;
            monitors.beginStructure();
            monitors >> id >> width >> height >> refresh >> preferredScale >> scales >> properties;
            monitors.endStructure();
            if (properties.value(QStringLiteral("is-current")).toBool())
                modes.insert(connector, QSize(width, height));
        }
        monitors.endArray();
        QVariantMap properties;
        monitors >> properties;
        monitors.endStructure();
    }
    monitors.endArray();
    return modes;
}

/** The logical monitors, a(iiduba(ssss)a{sv}), each where its first monitor's current mode puts it. */
QList<MonitorScale> placed(const QDBusArgument& logical, const QHash<QString, QSize>& modes)
{
    QList<MonitorScale> scales;
    logical.beginArray();
    while (!logical.atEnd()) {
        int x = 0, y = 0;
        double scale = 1.0;
        uint transform = 0;
        bool primary = false;
        QString first;
        logical.beginStructure();
        logical >> x >> y >> scale >> transform >> primary;
        logical.beginArray();
        while (!logical.atEnd()) {
            QString connector, vendor, product, serial;
            logical.beginStructure();
            logical >> connector >> vendor >> product >> serial;
            logical.endStructure();
            if (first.isEmpty())
                first = connector;
        }
        logical.endArray();
        QVariantMap properties;
        logical >> properties;
        logical.endStructure();
        QSize size = modes.value(first);
        // Odd transforms turn the monitor a quarter: its width on the desktop is the mode's height.
        if (transform % 2 == 1)
            size.transpose();
        if (!size.isEmpty() && scale > 0)
            scales.append({QRect(QPoint(x, y), size), scale});
    }
    logical.endArray();
    return scales;
}

} // namespace

QList<MonitorScale> DesktopScales::read()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return {};
    const QDBusMessage reply =
        bus.call(QDBusMessage::createMethodCall(Service, Path, Service, QStringLiteral("GetCurrentState")),
                 QDBus::Block, TimeoutMilliseconds);
    // Not GNOME (no mutter on the bus), or a reply of another shape: Qt's own screens stand.
    if (reply.type() != QDBusMessage::ReplyMessage ||
        reply.signature() != QStringLiteral("ua((ssss)a(siiddada{sv})a{sv})a(iiduba(ssss)a{sv})a{sv}"))
        return {};
    const QList<QVariant> values = reply.arguments();
    const auto properties = qdbus_cast<QVariantMap>(values.at(3));
    // In the logical layout Xwayland shows each monitor at its logical size, so its device pixels are not
    // where Qt sees them, and one spanned bitmap cannot hold both densities 1:1: Qt's view is kept there.
    if (properties.value(QStringLiteral("layout-mode"), PhysicalLayout).toUInt() != PhysicalLayout)
        return {};
    return placed(values.at(2).value<QDBusArgument>(), currentModes(values.at(1).value<QDBusArgument>()));
}

void DesktopScales::watch(QObject* receiver, const char* slot)
{
    QDBusConnection::sessionBus().connect(Service, Path, Service, QStringLiteral("MonitorsChanged"), receiver,
                                          slot);
}
