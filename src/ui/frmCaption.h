// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FontChoice.h"
#include "QuasiModalDialog.h"
#include "Settings.h"

class FontChooser;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class Prompter;
class SettingsFile;

/** Sets where the caption stands, whether it is drawn on the picture, and its font and colour. */
class frmCaption : public QuasiModalDialog
{
    Q_OBJECT

public:
    frmCaption(QWidget* mainWindow, Settings& settings, SettingsFile& file, Prompter& prompter,
               FontChooser& dlgDialogFont);

    void font_Click();

    QPushButton* ok;
    QPushButton* cancel;
    QPushButton* font;
    /** The colour swatch: its background is the caption colour. */
    QLabel* Picture2;
    QGroupBox* Frame1;
    QRadioButton* onImageOption;
    QRadioButton* offImageOption;
    QGroupBox* Frame2;
    QRadioButton* centerTopOption;
    QRadioButton* rightTopOption;
    QRadioButton* bottomCenterOption;

private:
    void paintSwatch(qint32 colour);

    Settings& m_settings;
    FontChooser& dlgDialogFont;
    /** What the font chooser starts from: the font at opening, then the user's last choice. */
    FontChoice m_font;
};
