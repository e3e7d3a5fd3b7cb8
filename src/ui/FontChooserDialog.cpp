// SPDX-License-Identifier: GPL-3.0-or-later
#include "FontChooserDialog.h"

#include "SettingsSchema.h"
#include "StoredColour.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

/** The caption sizes the settings file allows, in points. */
const SettingSpec& sizeSpec()
{
    return SettingsSchema::of(&Settings::newFontSize);
}

QString sizeText(double size)
{
    return QString::number(size, 'g', 7);
}

} // namespace

FontChooserDialog::FontChooserDialog(QWidget* parent)
    : QDialog(parent), faceBox(new QFontComboBox(this)), sizeBox(new QComboBox(this)),
      boldCheck(new QCheckBox(tr("&Bold"), this)), italicCheck(new QCheckBox(tr("&Italic"), this)),
      underlineCheck(new QCheckBox(tr("&Underline"), this)),
      strikethroughCheck(new QCheckBox(tr("S&trikethrough"), this)),
      colourButton(new QPushButton(tr("&Colour..."), this)), sample(new QLabel(tr("AaBbYyZz"), this))
{
    setWindowTitle(tr("Font"));
    // Only the sizes offered can be chosen: the list is not editable.
    for (int size = static_cast<int>(sizeSpec().low); size <= sizeSpec().high; ++size)
        sizeBox->addItem(QString::number(size), double(size));
    sizeBox->setEditable(false);
    sample->setAlignment(Qt::AlignCenter);
    // Fixed, so that a large size does not make the dialog jump.
    sample->setFixedSize(360, 100);
    sample->setAutoFillBackground(true);
    sample->setFrameShape(QFrame::StyledPanel);

    auto* form = new QFormLayout;
    form->addRow(tr("&Font:"), faceBox);
    form->addRow(tr("&Size:"), sizeBox);
    auto* effects = new QVBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{boldCheck, italicCheck, underlineCheck,
                                                      strikethroughCheck, colourButton})
        effects->addWidget(w, 0, Qt::AlignLeft);
    form->addRow(tr("Effects:"), effects);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(sample);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(colourButton, &QPushButton::clicked, this, &FontChooserDialog::pickColour);
    connect(faceBox, &QFontComboBox::currentFontChanged, this, &FontChooserDialog::updateSample);
    connect(sizeBox, &QComboBox::currentIndexChanged, this, &FontChooserDialog::updateSample);
    for (QCheckBox* box : {boldCheck, italicCheck, underlineCheck, strikethroughCheck})
        connect(box, &QCheckBox::toggled, this, &FontChooserDialog::updateSample);
}

void FontChooserDialog::setChoice(const FontChoice& choice)
{
    faceBox->setCurrentFont(QFont(choice.name));
    const double size = std::clamp(choice.size, sizeSpec().low, sizeSpec().high);
    int index = sizeBox->findData(size);
    if (index < 0) {
        // A fractional size stored earlier stays choosable, in its place in the list.
        index = 0;
        while (index < sizeBox->count() && sizeBox->itemData(index).toDouble() < size)
            ++index;
        sizeBox->insertItem(index, sizeText(size), size);
    }
    sizeBox->setCurrentIndex(index);
    boldCheck->setChecked(choice.bold);
    italicCheck->setChecked(choice.italic);
    underlineCheck->setChecked(choice.underline);
    strikethroughCheck->setChecked(choice.strikethrough);
    setColour(choice.colour);
}

FontChoice FontChooserDialog::choice() const
{
    FontChoice choice;
    choice.name = faceBox->currentFont().family();
    choice.size = sizeBox->currentData().toDouble();
    choice.bold = boldCheck->isChecked();
    choice.italic = italicCheck->isChecked();
    choice.underline = underlineCheck->isChecked();
    choice.strikethrough = strikethroughCheck->isChecked();
    choice.colour = m_colour;
    return choice;
}

void FontChooserDialog::setColour(qint32 colour)
{
    m_colour = StoredColour::fromColor(StoredColour::toColor(colour));
    QPixmap swatch(16, 16);
    swatch.fill(StoredColour::toColor(m_colour));
    colourButton->setIcon(QIcon(swatch));
    updateSample();
}

void FontChooserDialog::pickColour()
{
    const QColor chosen = QColorDialog::getColor(StoredColour::toColor(m_colour), this, tr("Colour"));
    if (chosen.isValid())
        setColour(StoredColour::fromColor(chosen));
}

void FontChooserDialog::updateSample()
{
    QFont font = faceBox->currentFont();
    font.setPointSizeF(sizeBox->currentData().toDouble());
    font.setBold(boldCheck->isChecked());
    font.setItalic(italicCheck->isChecked());
    font.setUnderline(underlineCheck->isChecked());
    font.setStrikeOut(strikethroughCheck->isChecked());
    sample->setFont(font);
    QPalette palette = sample->palette();
    const QColor colour = StoredColour::toColor(m_colour);
    palette.setColor(QPalette::WindowText, colour);
    // Light text is shown on a dark ground, as it will mostly stand on a picture.
    palette.setColor(QPalette::Window, colour.lightness() > 160 ? QColor(64, 64, 64) : QColor(240, 240, 240));
    sample->setPalette(palette);
}
