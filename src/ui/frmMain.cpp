// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmMain.h"

#include "core/LoadedImages.h"

#include <QListView>

frmMain::frmMain(LoadedImages& images, QWidget* parent)
    : QMainWindow(parent)
    , m_images(images)
    , List1(new QListView(this))
{
    setWindowTitle(QStringLiteral(" Tessaly"));
    List1->setObjectName(QStringLiteral("List1"));
    List1->setModel(&m_images);
    setCentralWidget(List1);
    resize(640, 480);
}
