// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>

class LoadedImages;
class QListView;

/** The settings window: shows the picture list and forwards commands. */
class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit frmMain(LoadedImages& images, QWidget* parent = nullptr);

private:
    LoadedImages& m_images;
    QListView* List1;
};
