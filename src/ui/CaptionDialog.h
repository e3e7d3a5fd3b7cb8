// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FontChoice.h"
#include "OptionDialog.h"

class FontChooser;
class QGroupBox;
class QLabel;
class QLayout;

/**
 * Sets where the caption stands, whether it is drawn on the picture, its font and colour, what makes it
 * readable on the picture, and the caption of pictures without one.
 */
class CaptionDialog : public OptionDialog
{
    Q_OBJECT

public:
    CaptionDialog(QWidget* parent, const Settings& settings, FontChooser& fontChooser);

private:
    /** The effect and the automatic colour of a caption on the picture. */
    QGroupBox* readabilityGroup();
    /** The caption of pictures without one, and the words it knows. */
    QLayout* defaultCaptionRows();
    void onFontClicked();
    void paintSwatch(qint32 colour);

    FontChooser& m_fontChooser;
    /** The caption colour, shown as its background. */
    QLabel* m_colourSwatch;
    /** What the font chooser starts from: the font at opening, then the user's last choice. */
    FontChoice m_font;
};
