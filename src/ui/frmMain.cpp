// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmMain.h"

#include "core/LoadedImages.h"

#include <QCloseEvent>
#include <QListView>
#include <QScreen>

frmMain::frmMain(LoadedImages& images, QWidget* parent)
    : QMainWindow(parent), m_images(images), List1(new QListView(this))
{
    setWindowTitle(QStringLiteral(" Tessaly"));
    List1->setObjectName(QStringLiteral("List1"));
    List1->setModel(&m_images);
    setCentralWidget(List1);
    resize(640, 480);
}

void frmMain::showCentred()
{
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    show();
}

void frmMain::selectEntry(int position)
{
    List1->setCurrentIndex(m_images.index(position));
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // Closing ends the program, which the owner of the tray does; the window is not closed on its own.
    event->ignore();
    emit closeRequested();
}
