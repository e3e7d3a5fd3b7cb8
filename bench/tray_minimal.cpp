// SPDX-License-Identifier: GPL-3.0-or-later
// The least a Qt program does to put an icon in the tray: the reference for Tessaly's start to tray
// in bench/idle_and_start.sh.
#include <QApplication>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaly"));
    QApplication::setQuitOnLastWindowClosed(false);
    QPixmap pixels(32, 32);
    pixels.fill(Qt::darkGreen);
    QSystemTrayIcon icon{QIcon(pixels)};
    icon.setToolTip(QStringLiteral(" Tessaly"));
    icon.show();
    return app.exec();
}
