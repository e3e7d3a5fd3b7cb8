// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class Prompter;
class QString;

/** A reason the program cannot start, told where the user will see it. */
class StartFailure
{
public:
    /**
     * On standard error for a start from a terminal, and in a window for a start from a menu, which has no
     * terminal.
     */
    static void tell(Prompter& prompter, const QString& text);
};
