// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OptionDialog.h"

/** Chooses how a picture is laid onto the screen: stretched, centred at its own size, tiled, filled or
 * fitted. */
class DisplayDialog : public OptionDialog
{
    Q_OBJECT

public:
    DisplayDialog(QWidget* parent, const Settings& settings);
};
