// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "QuasiModalDialog.h"

#include <QUrl>

class QLabel;
class QPushButton;
class UrlOpener;

/**
 * The about box: icon, name, version, a notice and the project's web page. While it is open the
 * main window is disabled; closing it enables the main window and brings it to the front.
 */
class frmAbout : public QuasiModalDialog
{
    Q_OBJECT

public:
    static const QUrl WebAddress;

    /** Loads the box: disables `mainWindow` and opens at its top-left corner. Deletes itself on close. */
    frmAbout(QWidget& mainWindow, UrlOpener& urlOpener);

private:
    void Website_Click();

    QLabel* picIcon;
    QLabel* lblTitle;
    QLabel* lblVersion0;
    QLabel* lblVersion1;
    QWidget* Line1;
    QPushButton* Website;
    QPushButton* cmdOK;
    UrlOpener& m_urlOpener;
};
