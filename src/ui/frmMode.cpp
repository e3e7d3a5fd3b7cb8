// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmMode.h"

#include "DialogParts.h"
#include "Settings.h"
#include "SettingsSchema.h"
#include "ShuffleOrder.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

frmMode::frmMode(QWidget* mainWindow, Settings& settings, SettingsFile& file, Prompter& prompter)
    : QuasiModalDialog(mainWindow, QStringLiteral("Image Properties")),
      Label1(DialogParts::label(this, "Label1", QStringLiteral("Display images in..."))),
      seqOption(DialogParts::option(this, "seqOption", QStringLiteral("Sequential Order"))),
      randomOption(DialogParts::option(this, "randomOption", QStringLiteral("Random Order"))),
      shuffleOption(DialogParts::option(this, "shuffleOption", QStringLiteral("Random, each once"))),
      ok(DialogParts::button(this, "ok", QStringLiteral("Ok"))),
      cancel(DialogParts::button(this, "cancel", QStringLiteral("Cancel")))
{
    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0, 1, 2);
    grid->addWidget(seqOption, 1, 0);
    grid->addWidget(randomOption, 2, 0);
    grid->addWidget(shuffleOption, 3, 0);
    grid->addWidget(ok, 1, 1);
    grid->addWidget(cancel, 2, 1);
    grid->setRowStretch(4, 1);
    DialogParts::fixSize(this, grid, twips(3555), twips(1785));
    DialogParts::tabOrder({ok, cancel, seqOption, randomOption, shuffleOption});

    DialogParts::stores(seqOption, settings.sequenceType, "0");
    DialogParts::stores(randomOption, settings.sequenceType, "1");
    DialogParts::stores(shuffleOption, settings.sequenceType, ShuffleOrder::StoredValue);
    okCancel(ok, cancel, settings, file, prompter, {&Settings::sequenceType});

    // Not a number, so that a copy without this choice steps in list order instead of freezing.
    if (settings.sequenceType == QLatin1String(ShuffleOrder::StoredValue)) {
        shuffleOption->setChecked(true);
        return;
    }
    // Another number selects neither option and is written back as it stands; text that is not a
    // number shows the shipped order.
    const double type = SettingsSchema::number(settings, {&Settings::sequenceType});
    if (type == 0)
        seqOption->setChecked(true);
    else if (type == 1)
        randomOption->setChecked(true);
}
