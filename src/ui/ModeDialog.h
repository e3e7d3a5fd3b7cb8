// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OptionDialog.h"

/** Chooses whether pictures follow the list's order, come at random, or at random each once a round. */
class ModeDialog : public OptionDialog
{
    Q_OBJECT

public:
    ModeDialog(QWidget* parent, const Settings& settings);
};
