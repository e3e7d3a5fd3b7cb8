// SPDX-License-Identifier: GPL-3.0-or-later
// gnome_screenshot FILE [X Y WIDTH HEIGHT]: saves what a running GNOME Shell shows, or that part of it, as a
// PNG file. The shell takes screenshot calls only from a few known bus names, so this takes the name of
// GNOME's own screenshot tool first.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if ((argc != 2 && argc != 6) || !bus.registerService(QStringLiteral("org.gnome.Screenshot")))
        return 1;
    // A part of a large desktop is read back several times faster than the whole of it.
    const bool area = argc == 6;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.gnome.Shell.Screenshot"), QStringLiteral("/org/gnome/Shell/Screenshot"),
        QStringLiteral("org.gnome.Shell.Screenshot"),
        area ? QStringLiteral("ScreenshotArea") : QStringLiteral("Screenshot"));
    if (area) {
        for (int i = 2; i < 6; ++i)
            call << QString::fromLocal8Bit(argv[i]).toInt();
        call << false << QString::fromLocal8Bit(argv[1]);
    } else {
        call << false << false << QString::fromLocal8Bit(argv[1]);
    }
    const QDBusMessage reply = bus.call(call, QDBus::Block, 10000);
    return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool() ? 0 : 1;
}
