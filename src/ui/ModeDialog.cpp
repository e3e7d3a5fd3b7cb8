// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModeDialog.h"

#include "CheckedSettings.h"
#include "DialogParts.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>

ModeDialog::ModeDialog(QWidget* parent, const Settings& settings)
    : OptionDialog(parent, QStringLiteral("Image Properties"), settings, {&Settings::sequenceType})
{
    Settings& edited = values();
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

    using Order = CheckedSettings::Order;
    DialogParts::stores(listOrderOption, edited.sequenceType, CheckedSettings::stored(Order::List));
    DialogParts::stores(randomOption, edited.sequenceType, CheckedSettings::stored(Order::Random));
    DialogParts::stores(shuffleOption, edited.sequenceType, CheckedSettings::stored(Order::Shuffle));

    DialogParts::select({listOrderOption, randomOption, shuffleOption}, int(CheckedSettings(edited).order()));
}
