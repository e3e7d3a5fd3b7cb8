// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptionDialog.h"

#include "CheckedSettings.h"
#include "DialogParts.h"
#include "FontChooser.h"
#include "SettingValue.h"
#include "SettingsSchema.h"
#include "StoredColour.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

/** The settings this dialog sets. */
const SettingsSchema::Fields CaptionFields = {
    &Settings::captionPosition,  &Settings::onOffCaption,          &Settings::newFontName,
    &Settings::newFontSize,      &Settings::newFontBold,           &Settings::newFontItalic,
    &Settings::newFontUnderline, &Settings::newFontFontStrikethru, &Settings::newFontForeColor};

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

CaptionDialog::CaptionDialog(QWidget* parent, Settings& settings, SettingsFile& file, Prompter& prompter,
                             FontChooser& fontChooser)
    : OptionDialog(parent, QStringLiteral("Caption Properties"), settings, file, prompter, CaptionFields),
      m_settings(settings), m_fontChooser(fontChooser),
      m_colourSwatch(DialogParts::named(new QLabel(this), "colourSwatch"))
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
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(2, 1);
    DialogParts::openAt(this, QSize(328, 200));

    DialogParts::stores(topCentreOption, settings.captionPosition, "0");
    DialogParts::stores(topRightOption, settings.captionPosition, "1");
    DialogParts::stores(bottomCentreOption, settings.captionPosition, "2");
    DialogParts::stores(onImageOption, settings.onOffCaption, "0");
    DialogParts::stores(offImageOption, settings.onOffCaption, "1");
    connect(fontButton, &QPushButton::clicked, this, &CaptionDialog::onFontClicked);

    const CheckedSettings checked(settings);
    DialogParts::select({topCentreOption, topRightOption, bottomCentreOption},
                        checked.integer(&Settings::captionPosition));
    DialogParts::select({onImageOption, offImageOption}, checked.integer(&Settings::onOffCaption));
    m_font.name = checked.text(&Settings::newFontName);
    m_font.size = static_cast<float>(checked.number(&Settings::newFontSize));
    m_font.bold = checked.flag(&Settings::newFontBold);
    m_font.italic = checked.flag(&Settings::newFontItalic);
    m_font.underline = checked.flag(&Settings::newFontUnderline);
    m_font.strikethrough = checked.flag(&Settings::newFontFontStrikethru);
    m_font.colour = checked.colour(&Settings::newFontForeColor);
    paintSwatch(m_font.colour);
}

void CaptionDialog::onFontClicked()
{
    const std::optional<FontChoice> chosen = m_fontChooser.choose(m_font, this);
    if (!chosen)
        return;
    m_font = *chosen;
    // The size is kept as the single-precision number it is drawn with.
    m_settings.newFontName = chosen->name;
    m_settings.newFontSize = SettingValue::fromNumber(static_cast<float>(chosen->size));
    m_settings.newFontBold = SettingValue::fromFlag(chosen->bold);
    m_settings.newFontItalic = SettingValue::fromFlag(chosen->italic);
    m_settings.newFontUnderline = SettingValue::fromFlag(chosen->underline);
    m_settings.newFontFontStrikethru = SettingValue::fromFlag(chosen->strikethrough);
    m_settings.newFontForeColor = QString::number(chosen->colour);
    paintSwatch(chosen->colour);
}

void CaptionDialog::paintSwatch(qint32 colour)
{
    // The swatch shows the caption's colour, not a colour of the theme.
    QPalette palette = m_colourSwatch->palette();
    palette.setColor(QPalette::Window, StoredColour::toColor(colour));
    m_colourSwatch->setPalette(palette);
}
