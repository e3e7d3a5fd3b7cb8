// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

/** The option dialogs the settings window's toolbar opens; each shows itself modeless. */
class OptionDialogs
{
public:
    virtual ~OptionDialogs() = default;
    /** Opens the change-interval dialog. */
    virtual void openTimer() = 0;
    /** Opens the display-style dialog. */
    virtual void openDisplay() = 0;
    /** Opens the order-mode dialog. */
    virtual void openMode() = 0;
    /** Opens the caption dialog. */
    virtual void openCaption() = 0;
    /** Opens the multiple-file loader. */
    virtual void openMultiple() = 0;
};
