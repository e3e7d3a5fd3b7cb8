// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLineClient.h"

#include "AddCommand.h"
#include "CommandLine.h"
#include "ControlClient.h"
#include "ControlServer.h"
#include "NativeSystem.h"
#include "TessalyApp.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QThread>
#include <cstdio>

namespace {

/** The running copy's control socket; a failure is told on standard error. */
Result<QString> socketPathTelling(ControlSocketFolder::Use use)
{
    Result<QString> socketPath = ControlServer::defaultSocketPath(use);
    if (!socketPath)
        std::fprintf(stderr, "tessaly: %s\n", qPrintable(socketPath.reason()));
    return socketPath;
}

/** Whether a copy runs there: one that took the line counts, answered or not. */
bool answers(const ControlClient& client)
{
    const Result<QString> reply = client.send(QStringLiteral("status"));
    return reply || reply.failure().kind != FailureKind::NotFound;
}

} // namespace

int CommandLineClient::run(const CommandLine& commandLine, int argc, char* argv[])
{
    NativeSystem::attachToTerminal();
    switch (commandLine.action) {
    case CommandLine::Action::Help:
    case CommandLine::Action::Version:
        std::fputs(qPrintable(commandLine.text), stdout);
        return 0;
    case CommandLine::Action::Usage:
        std::fputs(qPrintable(commandLine.text), stderr);
        return 2;
    case CommandLine::Action::Command:
        return sendCommand(argc, argv, commandLine.command);
    case CommandLine::Action::Add:
        return addPaths(argc, argv, commandLine.paths, AddCommand::add());
    case CommandLine::Action::Watch:
        return addPaths(argc, argv, commandLine.paths, AddCommand::watch());
    case CommandLine::Action::Unwatch:
        return addPaths(argc, argv, commandLine.paths, AddCommand::unwatch());
    case CommandLine::Action::Start:
        break;
    }
    return 0;
}

int CommandLineClient::sendCommand(int argc, char* argv[], const QString& command)
{
    // No display is needed to talk to the running copy.
    QCoreApplication app(argc, argv);
    const Result<QString> socketPath = socketPathTelling(ControlSocketFolder::Use::Find);
    if (!socketPath)
        return 1;
    // The end may wait for the user to say whether to save the list; a copy that dies hangs up.
    const int replyMs =
        command == QLatin1String("quit") ? ControlClient::UntilAnswered : ControlClient::ReplyMs;
    const Result<QString> reply = ControlClient(*socketPath).send(command, replyMs);
    if (!reply && reply.failure().kind == FailureKind::NotFound) {
        std::fprintf(stderr, "%s\n", qPrintable(reply.reason()));
        return 1;
    }
    if (!reply) {
        std::fprintf(stderr, "tessaly: %s\n", qPrintable(reply.reason()));
        return 1;
    }
    if (reply->startsWith(QLatin1String("ok\n"))) {
        std::fputs(qPrintable(reply->mid(3)), stdout);
        return 0;
    }
    std::fprintf(stderr, "tessaly: %s",
                 qPrintable(reply->startsWith(QLatin1String("error: ")) ? reply->mid(7) : *reply));
    return 1;
}

bool CommandLineClient::startCopy(const ControlClient& client)
{
    if (!TessalyApp::displayAvailable())
        return false;
    QProcess copy;
    copy.setProgram(QCoreApplication::applicationFilePath());
    // In the tray as a plain start, but one that finds a copy running leaves it alone.
    copy.setArguments({CommandLine::startedForAddOption()});
    // The copy outlives this command: it must not hold the terminal or a caller's pipes open.
    copy.setStandardInputFile(QProcess::nullDevice());
    copy.setStandardOutputFile(QProcess::nullDevice());
    copy.setStandardErrorFile(QProcess::nullDevice());
    if (!copy.startDetached())
        return false;
    const QDeadlineTimer deadline(std::chrono::seconds(30));
    while (!deadline.hasExpired()) {
        if (answers(client))
            return true;
        QThread::msleep(100);
    }
    return false;
}

bool CommandLineClient::reachCopy(const ControlClient& client, const QString& socketPath)
{
    QLockFile starting(socketPath + QStringLiteral(".start"));
    starting.setStaleLockTime(0);
    const QDeadlineTimer deadline(std::chrono::seconds(40));
    while (!deadline.hasExpired()) {
        if (starting.tryLock(0))
            return answers(client) || startCopy(client);
        QThread::msleep(50);
        if (answers(client))
            return true;
    }
    return false;
}

int CommandLineClient::addPaths(int argc, char* argv[], const QStringList& given, const QString& name)
{
    QCoreApplication app(argc, argv);
    const Result<QString> socketPath = socketPathTelling(ControlSocketFolder::Use::Create);
    if (!socketPath)
        return 1;
    // The running copy has a working folder of its own.
    QStringList paths;
    for (const QString& path : given)
        paths << QFileInfo(path).absoluteFilePath();
    AddCommand::Outcome total;
    const QStringList commands =
        AddCommand::commands(paths, int(ControlServer::MaxLineBytes), &total.refused, name);
    const ControlClient client(*socketPath);
    if (!commands.isEmpty() && !answers(client) && !reachCopy(client, *socketPath)) {
        std::fputs("tessaly: Tessaly is not running and could not be started\n", stderr);
        return 1;
    }
    for (const QString& command : commands) {
        const Result<QString> reply = client.send(command);
        const QString lost = reply || reply.failure().kind != FailureKind::NotFound
                                 ? QStringLiteral("error: %1\n").arg(reply.reason())
                                 : QStringLiteral("error: Tessaly ended before all were added\n");
        AddCommand::addReply(reply ? *reply : lost, total);
        if (!total.error.isEmpty())
            break;
    }
    // Folders no longer watched add nothing: only what went wrong is told.
    if (name != AddCommand::unwatch())
        std::printf("%s\n", qPrintable(AddCommand::summary(total)));
    for (const AddCommand::Refusal& refusal : std::as_const(total.refused)) {
        if (refusal.path.isEmpty())
            std::fprintf(stderr, "tessaly: %s\n", qPrintable(refusal.reason));
        else
            std::fprintf(stderr, "tessaly: %s: %s\n", qPrintable(refusal.path), qPrintable(refusal.reason));
    }
    if (!total.error.isEmpty())
        std::fprintf(stderr, "tessaly: %s\n", qPrintable(total.error));
    return total.refused.isEmpty() && total.error.isEmpty() ? 0 : 1;
}
