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
    : QDialog(parent), m_faceBox(new QFontComboBox(this)), m_sizeBox(new QComboBox(this)),
      m_boldCheck(new QCheckBox(tr("&Bold"), this)), m_italicCheck(new QCheckBox(tr("&Italic"), this)),
      m_underlineCheck(new QCheckBox(tr("&Underline"), this)),
      m_strikethroughCheck(new QCheckBox(tr("S&trikethrough"), this)),
      // Not Alt+C or Alt+O: desktops' themes give those to Cancel and OK.
      m_colourButton(new QPushButton(tr("Co&lour..."), this)), m_sample(new QLabel(tr("AaBbYyZz"), this))
{
    setWindowTitle(tr("Font"));
    // Only the sizes offered can be chosen: the list is not editable.
    for (int size = static_cast<int>(sizeSpec().low); size <= sizeSpec().high; ++size)
        m_sizeBox->addItem(QString::number(size), double(size));
    m_sizeBox->setEditable(false);
    m_sample->setObjectName(QStringLiteral("sample"));
    m_sample->setAlignment(Qt::AlignCenter);
    // Fixed, so that a large size does not make the dialog jump.
    m_sample->setFixedSize(360, 100);
    m_sample->setAutoFillBackground(true);
    m_sample->setFrameShape(QFrame::StyledPanel);

    auto* form = new QFormLayout;
    form->addRow(tr("&Font:"), m_faceBox);
    form->addRow(tr("&Size:"), m_sizeBox);
    auto* effects = new QVBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{m_boldCheck, m_italicCheck, m_underlineCheck,
                                                      m_strikethroughCheck, m_colourButton})
        effects->addWidget(w, 0, Qt::AlignLeft);
    form->addRow(tr("Effects:"), effects);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_sample);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_colourButton, &QPushButton::clicked, this, &FontChooserDialog::pickColour);
    connect(m_faceBox, &QFontComboBox::currentFontChanged, this, &FontChooserDialog::updateSample);
    connect(m_sizeBox, &QComboBox::currentIndexChanged, this, &FontChooserDialog::updateSample);
    for (QCheckBox* box : {m_boldCheck, m_italicCheck, m_underlineCheck, m_strikethroughCheck})
        connect(box, &QCheckBox::toggled, this, &FontChooserDialog::updateSample);
}

void FontChooserDialog::setChoice(const FontChoice& choice)
{
    m_faceBox->setCurrentFont(QFont(choice.name));
    const double size = std::clamp(choice.size, sizeSpec().low, sizeSpec().high);
    int index = m_sizeBox->findData(size);
    if (index < 0) {
        // A fractional size stored earlier stays choosable, in its place in the list.
        index = 0;
        while (index < m_sizeBox->count() && m_sizeBox->itemData(index).toDouble() < size)
            ++index;
        m_sizeBox->insertItem(index, sizeText(size), size);
    }
    m_sizeBox->setCurrentIndex(index);
    m_boldCheck->setChecked(choice.bold);
    m_italicCheck->setChecked(choice.italic);
    m_underlineCheck->setChecked(choice.underline);
    m_strikethroughCheck->setChecked(choice.strikethrough);
    setColour(choice.colour);
}

FontChoice FontChooserDialog::choice() const
{
    FontChoice choice;
    choice.name = m_faceBox->currentFont().family();
    choice.size = m_sizeBox->currentData().toDouble();
    choice.bold = m_boldCheck->isChecked();
    choice.italic = m_italicCheck->isChecked();
    choice.underline = m_underlineCheck->isChecked();
    choice.strikethrough = m_strikethroughCheck->isChecked();
    choice.colour = m_colour;
    return choice;
}

void FontChooserDialog::setColour(qint32 colour)
{
    m_colour = StoredColour::fromColor(StoredColour::toColor(colour));
    QPixmap swatch(16, 16);
    swatch.fill(StoredColour::toColor(m_colour));
    m_colourButton->setIcon(QIcon(swatch));
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
    QFont font = m_faceBox->currentFont();
    font.setPointSizeF(m_sizeBox->currentData().toDouble());
    font.setBold(m_boldCheck->isChecked());
    font.setItalic(m_italicCheck->isChecked());
    font.setUnderline(m_underlineCheck->isChecked());
    font.setStrikeOut(m_strikethroughCheck->isChecked());
    m_sample->setFont(font);
    QPalette palette = m_sample->palette();
    const QColor colour = StoredColour::toColor(m_colour);
    palette.setColor(QPalette::WindowText, colour);
    // Light text is shown on a dark ground, as it will mostly stand on a picture.
    palette.setColor(QPalette::Window, colour.lightness() > 160 ? QColor(64, 64, 64) : QColor(240, 240, 240));
    m_sample->setPalette(palette);
}
