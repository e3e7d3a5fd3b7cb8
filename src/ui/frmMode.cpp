// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmMode.h"

#include "DialogParts.h"
#include "Settings.h"
#include "SettingsSaveReport.h"
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
      cancel(DialogParts::button(this, "cancel", QStringLiteral("Cancel"))), m_settings(settings),
      m_file(file), m_prompter(prompter)
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

    DialogParts::onSelected(seqOption, this, &frmMode::seqOption_Click);
    DialogParts::onSelected(randomOption, this, &frmMode::randomOption_Click);
    DialogParts::onSelected(shuffleOption, this, &frmMode::shuffleOption_Click);
    connect(ok, &QPushButton::clicked, this, &frmMode::ok_Click);
    connect(cancel, &QPushButton::clicked, this, &frmMode::cancel_Click);
    setCancelButton(cancel);
    Form_Load();
}

void frmMode::Form_Load()
{
    savedSequenceType = m_settings.sequenceType;
    // Not a number, so that a copy without this choice steps in list order instead of freezing.
    if (m_settings.sequenceType == QLatin1String(ShuffleOrder::StoredValue)) {
        shuffleOption->setChecked(true);
        return;
    }
    // Another number selects neither option and is written back as it stands; text that is not a
    // number shows the shipped order.
    const double type = SettingsSchema::number(m_settings, {&Settings::sequenceType});
    if (type == 0)
        seqOption->setChecked(true);
    else if (type == 1)
        randomOption->setChecked(true);
}

void frmMode::seqOption_Click()
{
    m_settings.sequenceType = QStringLiteral("0");
}

void frmMode::randomOption_Click()
{
    m_settings.sequenceType = QStringLiteral("1");
}

void frmMode::shuffleOption_Click()
{
    m_settings.sequenceType = QLatin1String(ShuffleOrder::StoredValue);
}

void frmMode::ok_Click()
{
    SettingsSaveReport::check(SettingsSchema::write(m_file, m_settings, {&Settings::sequenceType}), m_file,
                              m_prompter);
    close();
}

void frmMode::cancel_Click()
{
    m_settings.sequenceType = savedSequenceType;
    close();
}
