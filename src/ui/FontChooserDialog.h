// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FontChoice.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QLabel;
class QPushButton;

/** Face, size (only those newFontSize allows), four styles and a colour, with a sample line. */
class FontChooserDialog : public QDialog
{
    Q_OBJECT

public:
    explicit FontChooserDialog(QWidget* parent = nullptr);

    /** Shows a choice; a size outside newFontSize's bounds is brought to the nearer end. */
    void setChoice(const FontChoice& choice);
    FontChoice choice() const;
    /** The colour, red in the lowest byte. */
    void setColour(qint32 colour);

    QFontComboBox* faceBox;
    QComboBox* sizeBox;
    QCheckBox* boldCheck;
    QCheckBox* italicCheck;
    QCheckBox* underlineCheck;
    QCheckBox* strikethroughCheck;
    QPushButton* colourButton;
    QLabel* sample;

private:
    void pickColour();
    void updateSample();

    qint32 m_colour = 0;
};
