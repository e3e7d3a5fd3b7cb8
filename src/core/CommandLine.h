// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

/**
 * What the program was asked to do on its command line: start, print its help or version, send
 * one command to the running copy, or add files and folders to its list (with --add, or named alone as
 * a file manager's "Open with" names them). Needs no application object, so that nothing starts for --help.
 */
class CommandLine
{
public:
    enum class Action { Start, Help, Version, Command, Add, Watch, Unwatch, Usage };

    Action action = Action::Start;
    /** The command for the running copy ("next", "status", …), with Action::Command. */
    QString command;
    /** What to print: the help, the version, or the reason and the usage (Action::Usage). */
    QString text;
    /** The files and folders to add, as given, with Action::Add; the folders with Watch and Unwatch. */
    QStringList paths;
    /**
     * With Action::Start: this copy was started by an add that found none running. It never opens the
     * settings window of a copy that runs already: that one takes the add.
     */
    bool startedForAdd = false;

    /** The option, not in the help, that a copy started for an add is given. */
    static QString startedForAddOption();

    /** The commands the running copy understands besides opening its settings window. */
    static QStringList commands();
    /** `arguments` as main() gets them, the program's name first. */
    static CommandLine parse(const QStringList& arguments, const QString& version);
};
