// SPDX-License-Identifier: GPL-3.0-or-later
// Builds the real platform objects and wires the layers.
#include "AddCommand.h"
#include "ApplicationFolder.h"
#include "ApplicationShell.h"
#include "AtomicFileWriter.h"
#include "ChangeCycle.h"
#include "CommandLine.h"
#include "ControlClient.h"
#include "ControlCommands.h"
#include "ControlServer.h"
#include "DesktopBackendFactory.h"
#include "DesktopUrlOpener.h"
#include "LoadedImages.h"
#include "MessageBoxPrompter.h"
#include "MountedVolumes.h"
#include "NativeLoginStart.h"
#include "NativeSystem.h"
#include "OptionDialogLauncher.h"
#include "PrimaryScreenInfo.h"
#include "ProcessMemory.h"
#include "ProgramIcon.h"
#include "QtFileDialogs.h"
#include "QtFontChooser.h"
#include "Scheduler.h"
#include "ScreenWatcher.h"
#include "SettingsFile.h"
#include "SettingsSaveReport.h"
#include "SettingsSchema.h"
#include "SettingsWindow.h"
#include "StartFailure.h"
#include "StartupSequence.h"
#include "SystemClock.h"
#include "SystemRandom.h"
#include "TrayController.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <QTimer>
#include <cstdio>

namespace {

/** Qt would abort with a toolkit error; say plainly what is missing instead. */
bool displayAvailable()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

/** The running copy's control socket, or empty after telling on standard error why there is none. */
QString socketPathTelling(ControlSocketFolder::Use use)
{
    QString error;
    const QString socketPath = ControlServer::defaultSocketPath(use, &error);
    if (socketPath.isEmpty())
        std::fprintf(stderr, "tessaly: %s\n", qPrintable(error));
    return socketPath;
}

/** Sends one command to the running copy and prints its reply: 0 done, 1 refused or no copy runs. */
int sendCommand(int argc, char* argv[], const QString& command)
{
    // No display is needed to talk to the running copy.
    QCoreApplication app(argc, argv);
    const QString socketPath = socketPathTelling(ControlSocketFolder::Use::Find);
    if (socketPath.isEmpty())
        return 1;
    // The end may wait for the user to say whether to save the list; a copy that dies hangs up.
    const int replyMs =
        command == QLatin1String("quit") ? ControlClient::UntilAnswered : ControlClient::ReplyMs;
    const std::optional<QString> reply = ControlClient(socketPath).send(command, replyMs);
    if (!reply) {
        std::fputs("Tessaly is not running\n", stderr);
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

/** Starts a copy of this program on its own and waits until it answers; false when it does not. */
bool startCopy(const ControlClient& client)
{
    if (!displayAvailable())
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
        if (client.send(QStringLiteral("status")))
            return true;
        QThread::msleep(100);
    }
    return false;
}

/**
 * Waits until a copy answers, starting one unless another add is starting it: adds made at once (a file
 * manager opening several pictures) start one copy between them. False when none answers.
 */
bool reachCopy(const ControlClient& client, const QString& socketPath)
{
    QLockFile starting(socketPath + QStringLiteral(".start"));
    starting.setStaleLockTime(0);
    const QDeadlineTimer deadline(std::chrono::seconds(40));
    while (!deadline.hasExpired()) {
        if (starting.tryLock(0))
            return client.send(QStringLiteral("status")) || startCopy(client);
        QThread::msleep(50);
        if (client.send(QStringLiteral("status")))
            return true;
    }
    return false;
}

/** Adds files and folders to the running copy's list, starting one when none runs: 0 when all were taken. */
int addPaths(int argc, char* argv[], const QStringList& given)
{
    QCoreApplication app(argc, argv);
    const QString socketPath = socketPathTelling(ControlSocketFolder::Use::Create);
    if (socketPath.isEmpty())
        return 1;
    // The running copy has a working folder of its own.
    QStringList paths;
    for (const QString& path : given)
        paths << QFileInfo(path).absoluteFilePath();
    AddCommand::Outcome total;
    const QStringList commands =
        AddCommand::commands(paths, int(ControlServer::MaxLineBytes), &total.refused);
    const ControlClient client(socketPath);
    if (!commands.isEmpty() && !client.send(QStringLiteral("status")) && !reachCopy(client, socketPath)) {
        std::fputs("tessaly: Tessaly is not running and could not be started\n", stderr);
        return 1;
    }
    for (const QString& command : commands) {
        const std::optional<QString> reply = client.send(command);
        AddCommand::addReply(reply.value_or(QStringLiteral("error: Tessaly ended before all were added\n")),
                             total);
        if (!total.error.isEmpty())
            break;
    }
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

} // namespace

int main(int argc, char* argv[])
{
    ProcessMemory::keepLargeBuffersApart();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine commandLine = CommandLine::parse(arguments, QStringLiteral(TESSALY_VERSION));
    if (commandLine.action != CommandLine::Action::Start)
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
        return addPaths(argc, argv, commandLine.paths);
    case CommandLine::Action::Start:
        break;
    }

    if (!displayAvailable()) {
        std::fputs("Tessaly needs a graphical desktop and none was found; to try it without one, run it "
                   "under Xvfb: xvfb-run -a tessaly\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaly"));
    QApplication::setApplicationVersion(QStringLiteral(TESSALY_VERSION));
    // The program lives in the tray with no window shown; it ends only through a close request.
    QApplication::setQuitOnLastWindowClosed(false);

    MessageBoxPrompter prompter;
    QString claimError;
    const QString socketPath =
        ControlServer::defaultSocketPath(ControlSocketFolder::Use::Create, &claimError);
    ControlServer control(socketPath);
    switch (socketPath.isEmpty() ? ControlServer::Claim::Failed : control.claim(&claimError)) {
    case ControlServer::Claim::AlreadyRunning:
        // Started for an add that another copy now takes: nothing to show.
        if (commandLine.startedForAdd)
            return 0;
        // A second start from the menu: the user wants the program, so show the one that runs. Not
        // waited for: that copy may be busy showing a message.
        return ControlClient(socketPath).post(QStringLiteral("settings")) ? 0 : 1;
    case ControlServer::Claim::Failed:
        StartFailure::tell(prompter,
                           QStringLiteral("Tessaly cannot open its control socket: %1").arg(claimError));
        return 1;
    case ControlServer::Claim::Claimed:
        break;
    }

    QString error;
    FileSystem& files = NativeSystem::fileSystem();
    const QString appFolder =
        ApplicationFolder::resolve(files, QCoreApplication::applicationDirPath(), NativeSystem::userFolder(),
                                   NativeSystem::shippedDataFolder(), &error);
    if (appFolder.isEmpty()) {
        StartFailure::tell(prompter, QStringLiteral("Tessaly cannot use its settings folder: %1").arg(error));
        return 1;
    }

    SystemClock clock;
    SystemRandom random;
    const QString settingsPath = appFolder + QLatin1String(ApplicationFolder::SettingsFileName);
    SettingsFile settingsFile(settingsPath, files);
    // Every later save would fail for the same reason: told once, and the program does not start.
    if (const QString problem = settingsFile.unusable(); !problem.isEmpty()) {
        StartFailure::tell(prompter, QStringLiteral("Tessaly cannot use its settings file %1").arg(problem));
        return 1;
    }
    // The first start also asks to be started at login; later starts leave the user's choice alone. A
    // portable copy keeps to its own folder: it may be on a stick that is gone at the next login.
    const bool portable = ApplicationFolder::isPortable(files, QCoreApplication::applicationDirPath());
    LoadedImages images;
    bool firstRun = false;
    Settings settings = StartupSequence::run(settingsFile, appFolder, images, clock, prompter, &firstRun);
    if (QString why;
        firstRun && !portable && !NativeSystem::addLoginStart(QCoreApplication::applicationFilePath(), &why))
        prompter.tell(
            QStringLiteral("Tessaly could not add itself to the programs started at login: %1").arg(why),
            PromptIcon::Exclamation);

    const std::unique_ptr<DesktopBackend> desktop = DesktopBackendFactory::create(
        settings.backend, settings.command, QProcessEnvironment::systemEnvironment());
    QtFileDialogs fileDialogs;
    DesktopUrlOpener urlOpener;
    PrimaryScreenInfo screen;
    QtFontChooser fontChooser;
    MountedVolumes volumes;
    NativeLoginStart loginStart(QCoreApplication::applicationFilePath());
    std::unique_ptr<OptionDialogLauncher> dialogs;
    ChangeCycle cycle(settings, images, settingsFile, appFolder, files, *desktop, prompter, random, screen);
    // The settings window and its dialogs are built when first shown: most starts only rest in the tray.
    const auto makeWindow = [&]() {
        auto window = std::make_unique<SettingsWindow>(images, prompter, fileDialogs, urlOpener, files);
        window->showStoredTotal(settings.total);
        dialogs = std::make_unique<OptionDialogLauncher>(
            window.get(), settings, settingsFile, prompter, fontChooser, volumes,
            [w = window.get()](const QString& folder, bool subfolders) { w->addFolder(folder, subfolders); });
        window->setOptionDialogs(dialogs.get());
        window->setLoginStart(&loginStart);
        window->setRememberedPlace(settings.windowGeometry);
        QObject::connect(window.get(), &SettingsWindow::placeChanged, [&](const QString& place) {
            if (std::exchange(settings.windowGeometry, place) != place)
                SettingsSaveReport::check(
                    SettingsSchema::write(settingsFile, settings, {&Settings::windowGeometry}), settingsFile,
                    prompter);
        });
        QObject::connect(window.get(), &SettingsWindow::showRequested, &cycle,
                         [&cycle](int position) { cycle.showAt(position); });
        return window;
    };
    // A change's buffers are as large as the screen and the photo: give them back to the system at
    // once, whoever asked for the change, so the program rests small.
    QObject::connect(&cycle, &ChangeCycle::finished, &ProcessMemory::releaseFreeMemory);
    const auto change = [&cycle](CheckedSettings::Order order) {
        cycle.change(order);
    };
    Scheduler scheduler(settings, settingsFile, clock, prompter, change);
    TrayController tray(settings, change);
    ApplicationShell shell(makeWindow, images, settingsFile, scheduler, tray, prompter);
    shell.setQuit([&cycle, &control] {
        cycle.stop();
        // Before --quit is answered: a copy started after the answer must not find this one.
        control.stopListening();
        QCoreApplication::exit(0);
    });

    // The icon first, so that the program is seen to be there while a change at start is made.
    shell.goToTray();
    // A change or save cut short leaves its temporary file; a bitmap's is as large as the screen.
    settingsFile.removeStaleTemporaries();
    AtomicFileWriter::removeStaleTemporaries(files, appFolder + QLatin1String(ChangeCycle::BitmapName));
    ControlCommands commands(settings, images, settingsFile, files, cycle, scheduler, shell, tray, prompter);

    // A monitor added, removed or changed: the pictures on screen made again for it, the list not moved on.
    ScreenWatcher screens;
    QObject::connect(&screens, &ScreenWatcher::changed, &cycle, [&cycle] { cycle.recompose(); });

    cycle.noteShownAtStart();
    scheduler.startupCheck();
    scheduler.start();
    // Work the tray icon need not wait for, left until it is surely up: every window and message box
    // takes the program's icon in all its sizes, and what the start read and parsed is garbage now, so
    // the program rests as small as after a change.
    QTimer::singleShot(std::chrono::seconds(1), [] {
        QApplication::setWindowIcon(ProgramIcon::icon());
        ProcessMemory::releaseFreeMemory();
    });
    control.serve([&commands](const QString& command, const ControlServer::Reply& reply) {
        commands.run(command, reply);
    });
    return app.exec();
}
