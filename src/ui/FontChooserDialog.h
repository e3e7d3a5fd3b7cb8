// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FontChoice.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QLabel;
class QPushButton;

/** Face, size (only those newFontSize allows), four styles and a colour, with a m_sample line. */
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

private:
    void pickColour();
    void updateSample();

    QFontComboBox* m_faceBox;
    QComboBox* m_sizeBox;
    QCheckBox* m_boldCheck;
    QCheckBox* m_italicCheck;
    QCheckBox* m_underlineCheck;
    QCheckBox* m_strikethroughCheck;
    QPushButton* m_colourButton;
    QLabel* m_sample;
    qint32 m_colour = 0;
};
