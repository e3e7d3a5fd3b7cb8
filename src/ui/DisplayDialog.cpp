// SPDX-License-Identifier: GPL-3.0-or-later
#include "DisplayDialog.h"

#include "CheckedSettings.h"
#include "DialogParts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>

namespace {

/** Selecting the option stores its display type and fitting word together. */
void stores(QRadioButton* option, Settings& settings, CheckedSettings::DisplayType type, const char* fitting)
{
    DialogParts::onSelected(option, [&settings, type, fitting] {
        settings.displayType = QLatin1String(CheckedSettings::stored(type));
        settings.fitting = QLatin1String(fitting);
    });
}

} // namespace

DisplayDialog::DisplayDialog(QWidget* parent, const Settings& settings)
    : OptionDialog(parent, QStringLiteral("Image Properties"), settings,
                   {&Settings::displayType, &Settings::fitting, &Settings::screens})
{
    Settings& edited = values();
    auto* stretchOption = DialogParts::option(this, "stretchOption", QStringLiteral("Stretch full screen"));
    auto* centreOption =
        DialogParts::option(this, "centreOption", QStringLiteral("Center and original size"));
    auto* tileOption = DialogParts::option(this, "tileOption", QStringLiteral("Tile"));
    auto* fillOption =
        DialogParts::option(this, "fillOption", QStringLiteral("Fill the screen, cut to its shape"));
    auto* fitOption =
        DialogParts::option(this, "fitOption", QStringLiteral("Fit the whole picture, black around it"));

    // Several monitors: in the order of CheckedSettings::Screens.
    auto* screensBox = DialogParts::named(new QComboBox(this), "screensBox");
    screensBox->addItems({QStringLiteral("The same picture on each monitor"),
                          QStringLiteral("A different picture on each monitor"),
                          QStringLiteral("One picture across all monitors")});

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Display image..."), this), 0, 0);
    grid->addWidget(stretchOption, 1, 0);
    grid->addWidget(centreOption, 2, 0);
    grid->addWidget(tileOption, 3, 0);
    grid->addWidget(fillOption, 4, 0);
    grid->addWidget(fitOption, 5, 0);
    grid->addWidget(new QLabel(QStringLiteral("With several monitors..."), this), 6, 0);
    grid->addWidget(screensBox, 7, 0);
    grid->addWidget(okCancelColumn(), 0, 1, 8, 1, Qt::AlignTop);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(8, 1);
    DialogParts::openAt(this, QSize(300, 230));

    using DisplayType = CheckedSettings::DisplayType;
    stores(stretchOption, edited, DisplayType::Stretch, "");
    stores(centreOption, edited, DisplayType::Centre, "");
    stores(tileOption, edited, DisplayType::Tile, "");
    // Stretched to an older copy reading the same file: it goes on working, with the picture's shape lost.
    stores(fillOption, edited, DisplayType::Stretch, CheckedSettings::FillWord);
    stores(fitOption, edited, DisplayType::Stretch, CheckedSettings::FitWord);

    const CheckedSettings checked(edited);
    screensBox->setCurrentIndex(int(checked.screens()));
    connect(screensBox, &QComboBox::currentIndexChanged, this,
            [this](int index) { values().screens = QLatin1String(CheckedSettings::ScreensWords[index]); });
    const CheckedSettings::Fitting fitting = checked.fitting();
    DialogParts::select({stretchOption, centreOption, tileOption, fillOption, fitOption},
                        fitting == CheckedSettings::Fitting::Fill  ? 3
                        : fitting == CheckedSettings::Fitting::Fit ? 4
                                                                   : int(checked.displayType()));
}
