// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModeDialog.h"

#include "DialogParts.h"
#include "Settings.h"
#include "SettingsSchema.h"
#include "ShuffleOrder.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>

ModeDialog::ModeDialog(QWidget* parent, Settings& settings, SettingsFile& file, Prompter& prompter)
    : OptionDialog(parent, QStringLiteral("Image Properties"), settings, file, prompter,
                   {&Settings::sequenceType})
{
    auto* listOrderOption = DialogParts::option(this, "listOrderOption", QStringLiteral("Sequential Order"));
    auto* randomOption = DialogParts::option(this, "randomOption", QStringLiteral("Random Order"));
    // The whole list in a shuffled order before any picture repeats.
    auto* shuffleOption = DialogParts::option(this, "shuffleOption", QStringLiteral("Random, each once"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Display images in..."), this), 0, 0, 1, 2);
    grid->addWidget(listOrderOption, 1, 0);
    grid->addWidget(randomOption, 2, 0);
    grid->addWidget(shuffleOption, 3, 0);
    grid->addWidget(okCancelColumn(), 1, 1, 3, 1, Qt::AlignTop);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(4, 1);
    DialogParts::openAt(this, QSize(237, 119));

    DialogParts::stores(listOrderOption, settings.sequenceType, "0");
    DialogParts::stores(randomOption, settings.sequenceType, "1");
    DialogParts::stores(shuffleOption, settings.sequenceType, ShuffleOrder::StoredValue);

    // Not a number, so that a copy without this choice steps in list order instead of freezing.
    if (settings.sequenceType == QLatin1String(ShuffleOrder::StoredValue)) {
        shuffleOption->setChecked(true);
        return;
    }
    // Another number selects neither option and is written back as it stands; text that is not a
    // number shows the shipped order.
    const double type = SettingsSchema::number(settings, {&Settings::sequenceType});
    if (type == 0)
        listOrderOption->setChecked(true);
    else if (type == 1)
        randomOption->setChecked(true);
}
