// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class Prompter;
class QString;

/**
 * The advice to keep the collection under 700 pictures. It is advice only, told by whichever command
 * added the entries, once until the settings window is opened again.
 */
class CollectionAdvice
{
public:
    /** More entries than this earn the advice. */
    static constexpr int Threshold = 700;

    /** After entries were added: tells the advice when `count` is above the threshold, once. */
    void afterAdding(int count, Prompter& prompter);
    /** The settings window was opened again: the advice may be told once more. */
    void reset() { m_shown = false; }

private:
    bool m_shown = false;
};
