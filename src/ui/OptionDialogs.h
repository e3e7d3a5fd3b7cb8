// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

/** Opens the option dialogs that the main window's toolbar offers. */
class OptionDialogs
{
public:
    virtual ~OptionDialogs() = default;
    /** Opens the timer settings dialog. */
    virtual void openTimer() = 0;
    /** Opens the display style dialog. */
    virtual void openDisplay() = 0;
    /** Opens the order mode dialog. */
    virtual void openMode() = 0;
    /** Opens the caption settings dialog. */
    virtual void openCaption() = 0;
    /** Opens the multiple-file loader. */
    virtual void openMultiple() = 0;
};
