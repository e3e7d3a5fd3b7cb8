// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "QuasiModalDialog.h"

class QLabel;
class QPushButton;
class QRadioButton;
class Prompter;
class SettingsFile;
struct Settings;

/** Chooses whether pictures follow the list's order, come at random, or at random each once a round. */
class frmMode : public QuasiModalDialog
{
    Q_OBJECT

public:
    frmMode(QWidget* mainWindow, Settings& settings, SettingsFile& file, Prompter& prompter);

    QLabel* Label1;
    QRadioButton* seqOption;
    QRadioButton* randomOption;
    /** "Random, each once": the whole list in a shuffled order before any picture repeats. */
    QRadioButton* shuffleOption;
    QPushButton* ok;
    QPushButton* cancel;
};
