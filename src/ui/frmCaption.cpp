// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmCaption.h"

#include "DialogParts.h"
#include "FontChooser.h"
#include "SettingValue.h"
#include "Settings.h"
#include "SettingsSaveReport.h"
#include "SettingsSchema.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

/** The settings this dialog sets. */
const SettingsSchema::Fields CaptionFields = {
    &Settings::captionPosition,  &Settings::onOffCaption,          &Settings::newFontName,
    &Settings::newFontSize,      &Settings::newFontBold,           &Settings::newFontItalic,
    &Settings::newFontUnderline, &Settings::newFontFontStrikethru, &Settings::newFontForeColor};

} // namespace

frmCaption::frmCaption(QWidget* mainWindow, Settings& settings, SettingsFile& file, Prompter& prompter,
                       FontChooser& chooser)
    : QuasiModalDialog(mainWindow, QStringLiteral("Caption Properties")),
      ok(DialogParts::button(this, "ok", QStringLiteral("Ok"))),
      cancel(DialogParts::button(this, "cancel", QStringLiteral("Cancel"))),
      font(DialogParts::button(this, "font", QStringLiteral("&Font Settings..."))),
      Picture2(DialogParts::label(this, "Picture2", QString())),
      Frame1(new QGroupBox(QStringLiteral("Display Caption..."), this)),
      onImageOption(DialogParts::option(Frame1, "onImageOption", QStringLiteral("On image"))),
      offImageOption(DialogParts::option(Frame1, "offImageOption", QStringLiteral("Off image"))),
      Frame2(new QGroupBox(QStringLiteral("Caption Location"), this)),
      centerTopOption(DialogParts::option(Frame2, "centerTopOption", QStringLiteral("Top center "))),
      rightTopOption(DialogParts::option(Frame2, "rightTopOption", QStringLiteral("Top right "))),
      bottomCenterOption(DialogParts::option(Frame2, "bottomCenterOption", QStringLiteral("Bottom center "))),
      m_settings(settings), m_file(file), m_prompter(prompter), dlgDialogFont(chooser)
{
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame2->setObjectName(QStringLiteral("Frame2"));
    font->setToolTip(QStringLiteral("Font type, color and size"));
    Picture2->setToolTip(QStringLiteral("Font color"));
    Picture2->setFixedSize(twips(375), twips(375));
    Picture2->setFrameShape(QFrame::Panel);
    Picture2->setFrameShadow(QFrame::Sunken);
    Picture2->setAutoFillBackground(true);

    auto* display = new QVBoxLayout(Frame1);
    display->addWidget(onImageOption);
    display->addWidget(offImageOption);
    display->addStretch(1);
    auto* location = new QVBoxLayout(Frame2);
    location->addWidget(centerTopOption);
    location->addWidget(rightTopOption);
    location->addWidget(bottomCenterOption);
    location->addStretch(1);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Picture2, 0, 0, Qt::AlignLeft);
    grid->addWidget(font, 0, 1, Qt::AlignLeft);
    grid->addWidget(ok, 0, 3);
    grid->addWidget(cancel, 1, 3);
    grid->addWidget(Frame1, 2, 0, 1, 2);
    grid->addWidget(Frame2, 2, 2, 1, 2);
    grid->setColumnStretch(2, 1);
    DialogParts::fixSize(this, grid, twips(4920), twips(3000));
    DialogParts::tabOrder({ok, cancel, font, onImageOption, offImageOption, centerTopOption, rightTopOption,
                           bottomCenterOption});

    DialogParts::onSelected(centerTopOption, this, &frmCaption::centerTopOption_Click);
    DialogParts::onSelected(rightTopOption, this, &frmCaption::rightTopOption_Click);
    DialogParts::onSelected(bottomCenterOption, this, &frmCaption::bottomCenterOption_Click);
    DialogParts::onSelected(onImageOption, this, &frmCaption::onImageOption_Click);
    DialogParts::onSelected(offImageOption, this, &frmCaption::offImageOption_Click);
    connect(font, &QPushButton::clicked, this, &frmCaption::font_Click);
    connect(ok, &QPushButton::clicked, this, &frmCaption::ok_Click);
    connect(cancel, &QPushButton::clicked, this, &frmCaption::cancel_Click);
    setCancelButton(cancel);
    Form_Load();
}

void frmCaption::Form_Load()
{
    m_saved = m_settings;

    // Values that do not convert show the shipped choice.
    const double position = SettingsSchema::number(m_settings, &Settings::captionPosition);
    if (position == 0)
        centerTopOption->setChecked(true);
    else if (position == 1)
        rightTopOption->setChecked(true);
    else
        bottomCenterOption->setChecked(true);
    if (SettingsSchema::number(m_settings, &Settings::onOffCaption) == 0)
        onImageOption->setChecked(true);
    else
        offImageOption->setChecked(true);

    m_font.name = m_settings.newFontName.trimmed().isEmpty()
                      ? QLatin1String(SettingsSchema::of(&Settings::newFontName).shippedDefault)
                      : m_settings.newFontName;
    m_font.size = static_cast<float>(SettingsSchema::number(m_settings, &Settings::newFontSize));
    m_font.bold = SettingsSchema::flag(m_settings, &Settings::newFontBold);
    m_font.italic = SettingsSchema::flag(m_settings, &Settings::newFontItalic);
    m_font.underline = SettingsSchema::flag(m_settings, &Settings::newFontUnderline);
    m_font.strikethrough = SettingsSchema::flag(m_settings, &Settings::newFontFontStrikethru);
    m_font.colour = SettingsSchema::colour(m_settings, &Settings::newFontForeColor);
    paintSwatch(m_font.colour);
}

void frmCaption::centerTopOption_Click()
{
    m_settings.captionPosition = QStringLiteral("0");
}

void frmCaption::rightTopOption_Click()
{
    m_settings.captionPosition = QStringLiteral("1");
}

void frmCaption::bottomCenterOption_Click()
{
    m_settings.captionPosition = QStringLiteral("2");
}

void frmCaption::onImageOption_Click()
{
    m_settings.onOffCaption = QStringLiteral("0");
}

void frmCaption::offImageOption_Click()
{
    m_settings.onOffCaption = QStringLiteral("1");
}

void frmCaption::font_Click()
{
    const std::optional<FontChoice> chosen = dlgDialogFont.choose(m_font, this);
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

void frmCaption::ok_Click()
{
    SettingsSaveReport::check(SettingsSchema::write(m_file, m_settings, CaptionFields), m_file, m_prompter);
    close();
}

void frmCaption::cancel_Click()
{
    SettingsSchema::copy(m_saved, m_settings, CaptionFields);
    close();
}

void frmCaption::paintSwatch(qint32 colour)
{
    QPalette palette = Picture2->palette();
    palette.setColor(QPalette::Window, QColor(colour & 0xff, (colour >> 8) & 0xff, (colour >> 16) & 0xff));
    Picture2->setPalette(palette);
    Picture2->update();
}
