// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "QuasiModalDialog.h"

class QLabel;
class QPushButton;
class QRadioButton;
class Prompter;
class SettingsFile;
struct Settings;

/** Chooses how a picture is laid onto the screen: stretched, centred at its own size, or tiled. */
class frmDisplay : public QuasiModalDialog
{
    Q_OBJECT

public:
    frmDisplay(QWidget* mainWindow, Settings& settings, SettingsFile& file, Prompter& prompter);

    QLabel* Label1;
    QRadioButton* fullOption;
    QRadioButton* centerOption;
    QRadioButton* tileOption;
    QPushButton* ok;
    QPushButton* cancel;
};
