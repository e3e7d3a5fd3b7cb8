// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmCaption.h"

#include "DialogParts.h"
#include "FontChooser.h"
#include "SettingValue.h"
#include "Settings.h"
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
      Frame1(DialogParts::named(new QGroupBox(QStringLiteral("Display Caption..."), this), "Frame1")),
      onImageOption(DialogParts::option(Frame1, "onImageOption", QStringLiteral("On image"))),
      offImageOption(DialogParts::option(Frame1, "offImageOption", QStringLiteral("Off image"))),
      Frame2(DialogParts::named(new QGroupBox(QStringLiteral("Caption Location"), this), "Frame2")),
      centerTopOption(DialogParts::option(Frame2, "centerTopOption", QStringLiteral("Top center "))),
      rightTopOption(DialogParts::option(Frame2, "rightTopOption", QStringLiteral("Top right "))),
      bottomCenterOption(DialogParts::option(Frame2, "bottomCenterOption", QStringLiteral("Bottom center "))),
      m_settings(settings), dlgDialogFont(chooser)
{
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

    DialogParts::stores(centerTopOption, settings.captionPosition, "0");
    DialogParts::stores(rightTopOption, settings.captionPosition, "1");
    DialogParts::stores(bottomCenterOption, settings.captionPosition, "2");
    DialogParts::stores(onImageOption, settings.onOffCaption, "0");
    DialogParts::stores(offImageOption, settings.onOffCaption, "1");
    connect(font, &QPushButton::clicked, this, &frmCaption::font_Click);
    okCancel(ok, cancel, settings, file, prompter, CaptionFields);

    // Values that do not convert show the shipped choice.
    DialogParts::select({centerTopOption, rightTopOption, bottomCenterOption},
                        SettingsSchema::number(settings, &Settings::captionPosition));
    DialogParts::select({onImageOption, offImageOption},
                        SettingsSchema::number(settings, &Settings::onOffCaption));
    m_font.name = settings.newFontName.trimmed().isEmpty()
                      ? QLatin1String(SettingsSchema::of(&Settings::newFontName).shippedDefault)
                      : settings.newFontName;
    m_font.size = static_cast<float>(SettingsSchema::number(settings, &Settings::newFontSize));
    m_font.bold = SettingsSchema::flag(settings, &Settings::newFontBold);
    m_font.italic = SettingsSchema::flag(settings, &Settings::newFontItalic);
    m_font.underline = SettingsSchema::flag(settings, &Settings::newFontUnderline);
    m_font.strikethrough = SettingsSchema::flag(settings, &Settings::newFontFontStrikethru);
    m_font.colour = SettingsSchema::colour(settings, &Settings::newFontForeColor);
    paintSwatch(m_font.colour);
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

void frmCaption::paintSwatch(qint32 colour)
{
    QPalette palette = Picture2->palette();
    palette.setColor(QPalette::Window, QColor(colour & 0xff, (colour >> 8) & 0xff, (colour >> 16) & 0xff));
    Picture2->setPalette(palette);
    Picture2->update();
}
