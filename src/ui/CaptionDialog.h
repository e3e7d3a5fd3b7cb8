// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FontChoice.h"
#include "OptionDialog.h"

class FontChooser;
class QLabel;

/** Sets where the caption stands, whether it is drawn on the picture, and its font and colour. */
class CaptionDialog : public OptionDialog
{
    Q_OBJECT

public:
    CaptionDialog(QWidget* parent, Settings& settings, SettingsFile& file, Prompter& prompter,
                  FontChooser& fontChooser);

private:
    void onFontClicked();
    void paintSwatch(qint32 colour);

    Settings& m_settings;
    FontChooser& m_fontChooser;
    /** The caption colour, shown as its background. */
    QLabel* m_colourSwatch;
    /** What the font chooser starts from: the font at opening, then the user's last choice. */
    FontChoice m_font;
};
