// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmDisplay.h"

#include "DialogParts.h"
#include "Settings.h"
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
      cancel(DialogParts::button(this, "cancel", QStringLiteral("Cancel")))
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

    DialogParts::stores(fullOption, settings.displayType, "0");
    DialogParts::stores(centerOption, settings.displayType, "1");
    DialogParts::stores(tileOption, settings.displayType, "2");
    okCancel(ok, cancel, settings, file, prompter, {&Settings::displayType});
    // A value that is not a number shows the shipped style rather than nothing.
    DialogParts::select({fullOption, centerOption, tileOption},
                        SettingsSchema::number(settings, &Settings::displayType));
}
