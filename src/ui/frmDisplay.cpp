// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmDisplay.h"

#include "DialogParts.h"
#include "Settings.h"
#include "SettingsSaveReport.h"
#include "SettingsSchema.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

frmDisplay::frmDisplay(QWidget* mainWindow, Settings& settings, SettingsFile& file, Prompter& prompter)
    : QuasiModalDialog(mainWindow, QStringLiteral("Image Properties")),
      Label1(DialogParts::label(this, "Label1", QStringLiteral("Display image..."))),
      fullOption(DialogParts::option(this, "fullOption", QStringLiteral("Stretch full screen"))),
      centerOption(DialogParts::option(this, "centerOption", QStringLiteral("Center and original size"))),
      tileOption(DialogParts::option(this, "tileOption", QStringLiteral("Tile"))),
      ok(DialogParts::button(this, "ok", QStringLiteral("Ok"))),
      cancel(DialogParts::button(this, "cancel", QStringLiteral("Cancel"))), m_settings(settings),
      m_file(file), m_prompter(prompter)
{
    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(fullOption, 1, 0);
    grid->addWidget(centerOption, 2, 0);
    grid->addWidget(tileOption, 3, 0);
    grid->addWidget(ok, 0, 1);
    grid->addWidget(cancel, 1, 1);
    grid->setRowStretch(4, 1);
    DialogParts::fixSize(this, grid, twips(4080), twips(2370));
    DialogParts::tabOrder({ok, cancel, fullOption, centerOption, tileOption});

    DialogParts::onSelected(fullOption, this, &frmDisplay::fullOption_Click);
    DialogParts::onSelected(centerOption, this, &frmDisplay::centerOption_Click);
    DialogParts::onSelected(tileOption, this, &frmDisplay::tileOption_Click);
    connect(ok, &QPushButton::clicked, this, &frmDisplay::ok_Click);
    connect(cancel, &QPushButton::clicked, this, &frmDisplay::cancel_Click);
    setCancelButton(cancel);
    Form_Load();
}

void frmDisplay::Form_Load()
{
    savedDisplayType = m_settings.displayType;
    // A value that is not a number shows the shipped style rather than nothing.
    const double type = SettingsSchema::number(m_settings, {&Settings::displayType});
    if (type == 0)
        fullOption->setChecked(true);
    else if (type == 1)
        centerOption->setChecked(true);
    else
        tileOption->setChecked(true);
}

void frmDisplay::fullOption_Click()
{
    m_settings.displayType = QStringLiteral("0");
}

void frmDisplay::centerOption_Click()
{
    m_settings.displayType = QStringLiteral("1");
}

void frmDisplay::tileOption_Click()
{
    m_settings.displayType = QStringLiteral("2");
}

void frmDisplay::ok_Click()
{
    SettingsSaveReport::check(SettingsSchema::write(m_file, m_settings, {&Settings::displayType}), m_file,
                              m_prompter);
    close();
}

void frmDisplay::cancel_Click()
{
    m_settings.displayType = savedDisplayType;
    close();
}
