// SPDX-License-Identifier: GPL-3.0-or-later
// gnome_screenshot FILE: saves what a running GNOME Shell shows as a PNG file. The shell takes screenshot
// calls only from a few known bus names, so this takes the name of GNOME's own screenshot tool first.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (argc != 2 || !bus.registerService(QStringLiteral("org.gnome.Screenshot")))
        return 1;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.gnome.Shell.Screenshot"), QStringLiteral("/org/gnome/Shell/Screenshot"),
        QStringLiteral("org.gnome.Shell.Screenshot"), QStringLiteral("Screenshot"));
    call << false << false << QString::fromLocal8Bit(argv[1]);
    const QDBusMessage reply = bus.call(call, QDBus::Block, 10000);
    return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool() ? 0 : 1;
}
