// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

class CommandLine;
class ControlClient;

/**
 * Every use of the program from a terminal that is not a start: help, version and usage texts, commands
 * for the running copy and pictures added to its list. Answers on standard output, refusals on standard
 * error.
 */
class CommandLineClient
{
public:
    /** What the command line asked for, done: the program's exit code. */
    static int run(const CommandLine& commandLine, int argc, char* argv[]);

private:
    /** Sends one command to the running copy and prints its reply: 0 done, 1 refused or no copy runs. */
    static int sendCommand(int argc, char* argv[], const QString& command);
    /**
     * Sends the `name` command (add, watch, unwatch) with files and folders to the running copy, starting
     * one when none runs: 0 when all were taken.
     */
    static int addPaths(int argc, char* argv[], const QStringList& given, const QString& name);
    /**
     * Waits until a copy answers, starting one unless another add is starting it: adds made at once (a file
     * manager opening several pictures) start one copy between them. False when none answers.
     */
    static bool reachCopy(const ControlClient& client, const QString& socketPath);
    /** Starts a copy of this program on its own and waits until it answers; false when it does not. */
    static bool startCopy(const ControlClient& client);
};
