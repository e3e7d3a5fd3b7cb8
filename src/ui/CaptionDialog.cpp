// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptionDialog.h"

#include "CheckedSettings.h"
#include "DialogParts.h"
#include "FontChooser.h"
#include "SettingValue.h"
#include "SettingsSchema.h"
#include "ShownCaption.h"
#include "StoredColour.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

/** The settings this dialog sets. */
const SettingsSchema::Fields CaptionFields = {
    &Settings::captionPosition,  &Settings::onOffCaption,          &Settings::newFontName,
    &Settings::newFontSize,      &Settings::newFontBold,           &Settings::newFontItalic,
    &Settings::newFontUnderline, &Settings::newFontFontStrikethru, &Settings::newFontForeColor,
    &Settings::captionEffect,    &Settings::automaticColour,       &Settings::defaultCaption};

QGroupBox* group(QWidget* parent, const char* name, const QString& title,
                 std::initializer_list<QRadioButton*> options)
{
    auto* box = DialogParts::named(new QGroupBox(title, parent), name);
    auto* layout = new QVBoxLayout(box);
    for (QRadioButton* option : options) {
        option->setParent(box);
        layout->addWidget(option);
    }
    layout->addStretch(1);
    return box;
}

} // namespace

CaptionDialog::CaptionDialog(QWidget* parent, const Settings& settings, FontChooser& fontChooser)
    : OptionDialog(parent, QStringLiteral("Caption Properties"), settings, CaptionFields),
      m_fontChooser(fontChooser), m_colourSwatch(DialogParts::named(new QLabel(this), "colourSwatch"))
{
    auto* fontButton =
        DialogParts::named(new QPushButton(QStringLiteral("&Font Settings..."), this), "fontButton");
    fontButton->setAutoDefault(false);
    fontButton->setToolTip(QStringLiteral("Font type, color and size"));
    m_colourSwatch->setToolTip(QStringLiteral("Font color"));
    // A square as high as the button beside it.
    const int side = fontButton->sizeHint().height();
    m_colourSwatch->setFixedSize(side, side);
    m_colourSwatch->setFrameShape(QFrame::Panel);
    m_colourSwatch->setFrameShadow(QFrame::Sunken);
    m_colourSwatch->setAutoFillBackground(true);

    auto* onImageOption = DialogParts::option(this, "onImageOption", QStringLiteral("On image"));
    auto* offImageOption = DialogParts::option(this, "offImageOption", QStringLiteral("Off image"));
    auto* topCentreOption = DialogParts::option(this, "topCentreOption", QStringLiteral("Top center "));
    auto* topRightOption = DialogParts::option(this, "topRightOption", QStringLiteral("Top right "));
    auto* bottomCentreOption =
        DialogParts::option(this, "bottomCentreOption", QStringLiteral("Bottom center "));

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_colourSwatch, 0, 0);
    grid->addWidget(fontButton, 0, 1, Qt::AlignLeft);
    grid->addWidget(okCancelColumn(), 0, 3, 2, 1, Qt::AlignTop);
    grid->addWidget(
        group(this, "placeGroup", QStringLiteral("Display Caption..."), {onImageOption, offImageOption}), 2,
        0, 1, 2);
    grid->addWidget(group(this, "positionGroup", QStringLiteral("Caption Location"),
                          {topCentreOption, topRightOption, bottomCentreOption}),
                    2, 2, 1, 2);
    grid->addWidget(readabilityGroup(), 3, 0, 1, 4);
    grid->addLayout(defaultCaptionRows(), 4, 0, 1, 4);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(2, 1);
    DialogParts::openAt(this, QSize(420, 330));

    Settings& edited = values();
    using Position = CheckedSettings::CaptionPosition;
    using Placement = CheckedSettings::CaptionPlacement;
    DialogParts::stores(topCentreOption, edited.captionPosition,
                        CheckedSettings::stored(Position::TopCentre));
    DialogParts::stores(topRightOption, edited.captionPosition, CheckedSettings::stored(Position::TopRight));
    DialogParts::stores(bottomCentreOption, edited.captionPosition,
                        CheckedSettings::stored(Position::BottomCentre));
    DialogParts::stores(onImageOption, edited.onOffCaption, CheckedSettings::stored(Placement::OnPicture));
    DialogParts::stores(offImageOption, edited.onOffCaption, CheckedSettings::stored(Placement::InBand));
    connect(fontButton, &QPushButton::clicked, this, &CaptionDialog::onFontClicked);

    const CheckedSettings checked(edited);
    DialogParts::select({topCentreOption, topRightOption, bottomCentreOption},
                        int(checked.captionPosition()));
    DialogParts::select({onImageOption, offImageOption}, int(checked.captionPlacement()));
    m_font.name = checked.text(&Settings::newFontName);
    m_font.size = static_cast<float>(checked.number(&Settings::newFontSize));
    m_font.bold = checked.flag(&Settings::newFontBold);
    m_font.italic = checked.flag(&Settings::newFontItalic);
    m_font.underline = checked.flag(&Settings::newFontUnderline);
    m_font.strikethrough = checked.flag(&Settings::newFontFontStrikethru);
    m_font.colour = checked.colour(&Settings::newFontForeColor);
    paintSwatch(m_font.colour);
}

QGroupBox* CaptionDialog::readabilityGroup()
{
    auto* box = DialogParts::named(new QGroupBox(QStringLiteral("On the picture"), this), "readabilityGroup");
    auto* effect = DialogParts::named(new QComboBox(box), "effectBox");
    // In the order of the values "captionEffect" stores.
    effect->addItems({QStringLiteral("No effect"), QStringLiteral("Outline"), QStringLiteral("Shadow"),
                      QStringLiteral("Backdrop")});
    effect->setToolTip(QStringLiteral("What goes under the letters so that they read on any picture"));
    auto* automatic = DialogParts::check(box, "automaticColourCheck", QStringLiteral("Use automatic colour"));
    automatic->setToolTip(QStringLiteral("Black or white letters, whichever the picture under them needs"));
    auto* label = new QLabel(QStringLiteral("&Effect:"), box);
    label->setBuddy(effect);
    auto* layout = new QHBoxLayout(box);
    layout->addWidget(label);
    layout->addWidget(effect);
    layout->addSpacing(12);
    layout->addWidget(automatic);
    layout->addStretch(1);

    const CheckedSettings checked(values());
    effect->setCurrentIndex(checked.integer(&Settings::captionEffect));
    automatic->setChecked(checked.flag(&Settings::automaticColour));
    connect(effect, &QComboBox::currentIndexChanged, this,
            [this](int index) { values().captionEffect = QString::number(index); });
    connect(automatic, &QCheckBox::toggled, this,
            [this](bool on) { values().automaticColour = SettingValue::fromFlag(on); });
    return box;
}

QLayout* CaptionDialog::defaultCaptionRows()
{
    auto* edit = DialogParts::named(new QLineEdit(values().defaultCaption, this), "defaultCaptionEdit");
    edit->setPlaceholderText(QStringLiteral("none"));
    edit->setToolTip(QStringLiteral("The caption of every picture whose own caption is empty"));
    auto* help = DialogParts::named(new QLabel(ShownCaption::wordsHelp(), this), "captionWordsHelp");
    help->setWordWrap(true);
    auto* label = new QLabel(QStringLiteral("Caption of pictures &without one:"), this);
    label->setBuddy(edit);
    auto* rows = new QVBoxLayout;
    auto* line = new QHBoxLayout;
    line->addWidget(label);
    line->addWidget(edit, 1);
    rows->addLayout(line);
    rows->addWidget(help);
    connect(edit, &QLineEdit::textEdited, this,
            [this](const QString& text) { values().defaultCaption = text; });
    return rows;
}

void CaptionDialog::onFontClicked()
{
    const std::optional<FontChoice> chosen = m_fontChooser.choose(m_font, this);
    if (!chosen)
        return;
    m_font = *chosen;
    Settings& edited = values();
    // The size is kept as the single-precision number it is drawn with.
    edited.newFontName = chosen->name;
    edited.newFontSize = SettingValue::fromNumber(static_cast<float>(chosen->size));
    edited.newFontBold = SettingValue::fromFlag(chosen->bold);
    edited.newFontItalic = SettingValue::fromFlag(chosen->italic);
    edited.newFontUnderline = SettingValue::fromFlag(chosen->underline);
    edited.newFontFontStrikethru = SettingValue::fromFlag(chosen->strikethrough);
    edited.newFontForeColor = QString::number(chosen->colour);
    paintSwatch(chosen->colour);
}

void CaptionDialog::paintSwatch(qint32 colour)
{
    // The swatch shows the caption's colour, not a colour of the theme.
    QPalette palette = m_colourSwatch->palette();
    palette.setColor(QPalette::Window, StoredColour::toColor(colour));
    m_colourSwatch->setPalette(palette);
}
