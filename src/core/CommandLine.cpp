// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include <QCommandLineParser>

namespace {

struct CommandOption
{
    const char* name;
    const char* description;
};

const CommandOption kCommands[] = {
    {"next", "Change the wallpaper now, in the chosen order."},
    {"previous", "Show again the picture shown before this one."},
    {"pause", "Make no timed change until --resume."},
    {"resume", "Let the timed changes run again."},
    {"status", "Print the picture on screen, its caption and the time of the next change."},
    {"settings", "Open the settings window."},
    {"quit", "End the running copy, as \"Close and Disable\" does."},
};

} // namespace

QString CommandLine::startedForAddOption()
{
    return QStringLiteral("--started-for-add");
}

QStringList CommandLine::commands()
{
    QStringList names;
    for (const CommandOption& command : kCommands)
        names << QLatin1String(command.name);
    return names;
}

CommandLine CommandLine::parse(const QStringList& arguments, const QString& version)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Changes the desktop wallpaper from a list of pictures with captions.\n"
                       "Without an option it starts, or opens the settings window of the copy that runs;\n"
                       "each option below is sent to the copy that runs."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Print this help and exit."));
    const QCommandLineOption showVersion({QStringLiteral("v"), QStringLiteral("version")},
                                         QStringLiteral("Print the version and exit."));
    const QCommandLineOption add(QStringLiteral("add"),
                                 QStringLiteral("Add the pictures named, and those in the folders named with "
                                                "their subfolders, to the list, and save it."));
    const QCommandLineOption watch(
        QStringLiteral("watch"),
        QStringLiteral("Add the pictures of the folders named, as --add does, and keep the list up to date "
                       "with them: pictures put in them later join the list, deleted ones leave it."));
    const QCommandLineOption unwatch(QStringLiteral("unwatch"),
                                     QStringLiteral("Stop keeping the list up to date with the folders "
                                                    "named; their pictures stay in the list."));
    QCommandLineOption startedForAdd(startedForAddOption().mid(2));
    startedForAdd.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(help);
    parser.addOption(showVersion);
    parser.addOption(add);
    parser.addOption(watch);
    parser.addOption(unwatch);
    parser.addOption(startedForAdd);
    parser.addPositionalArgument(QStringLiteral("paths"), QStringLiteral("Pictures and folders to add."),
                                 QStringLiteral("[--add PATH... | --watch FOLDER... | --unwatch FOLDER...]"));
    for (const CommandOption& command : kCommands)
        parser.addOption({QLatin1String(command.name), QString::fromLatin1(command.description)});

    CommandLine result;
    const QString program = arguments.isEmpty() ? QStringLiteral("tessaly") : arguments.first();
    // QCommandLineParser names the program from the application object, which does not exist yet; made
    // only when asked for, as a plain start needs no help text.
    const auto usage = [&parser] {
        const QString text = parser.helpText();
        return QStringLiteral("Usage: tessaly") + text.mid(text.indexOf(QLatin1Char(' '), 7));
    };
    const auto refuse = [&](const QString& reason) {
        result.action = Action::Usage;
        result.text = QStringLiteral("tessaly: %1\n\n%2").arg(reason, usage());
        return result;
    };
    if (!parser.parse(arguments.isEmpty() ? QStringList{program} : arguments))
        return refuse(parser.errorText());
    if (parser.isSet(help)) {
        result.action = Action::Help;
        result.text = usage();
        return result;
    }
    if (parser.isSet(showVersion)) {
        result.action = Action::Version;
        result.text = QStringLiteral("Tessaly %1\n").arg(version);
        return result;
    }
    for (const CommandOption& command : kCommands) {
        if (!parser.isSet(QLatin1String(command.name)))
            continue;
        if (result.action == Action::Command)
            return refuse(QStringLiteral("one command at a time"));
        result.action = Action::Command;
        result.command = QLatin1String(command.name);
    }
    result.paths = parser.positionalArguments();
    const int pathCommands = int(parser.isSet(add)) + int(parser.isSet(watch)) + int(parser.isSet(unwatch));
    if (pathCommands > 1 ||
        (result.action == Action::Command && (pathCommands > 0 || !result.paths.isEmpty())))
        return refuse(QStringLiteral("one command at a time"));
    if (parser.isSet(add) && result.paths.isEmpty())
        return refuse(QStringLiteral("--add needs at least one file or folder"));
    if ((parser.isSet(watch) || parser.isSet(unwatch)) && result.paths.isEmpty())
        return refuse(QStringLiteral("--%1 needs at least one folder")
                          .arg(parser.isSet(watch) ? QStringLiteral("watch") : QStringLiteral("unwatch")));
    // A file manager's "Open with" names the files alone; with none named, the program starts.
    if (parser.isSet(watch))
        result.action = Action::Watch;
    else if (parser.isSet(unwatch))
        result.action = Action::Unwatch;
    else if (!result.paths.isEmpty())
        result.action = Action::Add;
    result.startedForAdd = parser.isSet(startedForAdd);
    if (result.startedForAdd && result.action != Action::Start)
        return refuse(QStringLiteral("one command at a time"));
    return result;
}
