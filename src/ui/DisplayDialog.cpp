// SPDX-License-Identifier: GPL-3.0-or-later
#include "DisplayDialog.h"

#include "CheckedSettings.h"
#include "DialogParts.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>

DisplayDialog::DisplayDialog(QWidget* parent, Settings& settings, SettingsFile& file, Prompter& prompter)
    : OptionDialog(parent, QStringLiteral("Image Properties"), settings, file, prompter,
                   {&Settings::displayType})
{
    auto* stretchOption = DialogParts::option(this, "stretchOption", QStringLiteral("Stretch full screen"));
    auto* centreOption =
        DialogParts::option(this, "centreOption", QStringLiteral("Center and original size"));
    auto* tileOption = DialogParts::option(this, "tileOption", QStringLiteral("Tile"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Display image..."), this), 0, 0);
    grid->addWidget(stretchOption, 1, 0);
    grid->addWidget(centreOption, 2, 0);
    grid->addWidget(tileOption, 3, 0);
    grid->addWidget(okCancelColumn(), 0, 1, 4, 1, Qt::AlignTop);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(4, 1);
    DialogParts::openAt(this, QSize(272, 158));

    DialogParts::stores(stretchOption, settings.displayType, "0");
    DialogParts::stores(centreOption, settings.displayType, "1");
    DialogParts::stores(tileOption, settings.displayType, "2");
    DialogParts::select({stretchOption, centreOption, tileOption},
                        CheckedSettings(settings).integer(&Settings::displayType));
}
