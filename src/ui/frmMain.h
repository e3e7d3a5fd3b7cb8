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

    /** Shows the window centred on its screen. */
    void showCentred();
    /** Selects the list entry at `position`. */
    void selectEntry(int position);

signals:
    /** The user asked to save the list and go back to the tray. */
    void activateRequested();
    /** Any request to close the window; the window itself stays open. */
    void closeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    LoadedImages& m_images;
    QListView* List1;
};
