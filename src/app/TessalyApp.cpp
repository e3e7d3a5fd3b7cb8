// SPDX-License-Identifier: GPL-3.0-or-later
#include "TessalyApp.h"

#include "ApplicationFolder.h"
#include "AtomicFileWriter.h"
#include "ControlClient.h"
#include "DesktopBackendFactory.h"
#include "NativeSystem.h"
#include "OptionDialogLauncher.h"
#include "ProcessMemory.h"
#include "ProgramIcon.h"
#include "SettingsSaveReport.h"
#include "SettingsSchema.h"
#include "SettingsWindow.h"
#include "StartFailure.h"
#include "StartupSequence.h"

#include <QDir>
#include <QProcessEnvironment>
#include <QTimer>

bool TessalyApp::displayAvailable()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

TessalyApp::TessalyApp(int& argc, char* argv[], bool startedForAdd)
    : m_qt(argc, argv), m_startedForAdd(startedForAdd), m_files(NativeSystem::fileSystem()),
      m_loginStart(QCoreApplication::applicationFilePath())
{
    QApplication::setApplicationName(QStringLiteral("Tessaly"));
    QApplication::setApplicationVersion(QStringLiteral(TESSALY_VERSION));
    // The program lives in the tray with no window shown; it ends only through a close request.
    QApplication::setQuitOnLastWindowClosed(false);
}

TessalyApp::~TessalyApp() = default;

int TessalyApp::run()
{
    if (const std::optional<int> ended = claimControl())
        return *ended;
    if (!openSettingsFolder() || !openSettingsFile())
        return 1;
    readSettings();
    buildParts();
    goToTray();
    startWork();
    return QApplication::exec();
}

std::optional<int> TessalyApp::claimControl()
{
    const Result<QString> socketPath = ControlServer::defaultSocketPath(ControlSocketFolder::Use::Create);
    m_socketPath = socketPath ? *socketPath : QString();
    m_control.emplace(m_socketPath);
    const Result<ControlServer::Claim> claim =
        socketPath ? m_control->claim() : Result<ControlServer::Claim>(socketPath.failure());
    if (!claim) {
        StartFailure::tell(m_prompter,
                           QStringLiteral("Tessaly cannot open its control socket: %1").arg(claim.reason()));
        return 1;
    }
    switch (*claim) {
    case ControlServer::Claim::AlreadyRunning:
        // Started for an add that another copy now takes: nothing to show.
        if (m_startedForAdd)
            return 0;
        // A second start from the menu: the user wants the program, so show the one that runs. Not
        // waited for: that copy may be busy showing a message.
        return ControlClient(m_socketPath).post(QStringLiteral("settings")) ? 0 : 1;
    case ControlServer::Claim::Claimed:
        break;
    }
    return std::nullopt;
}

bool TessalyApp::openSettingsFolder()
{
    const Result<QString> folder =
        ApplicationFolder::resolve(m_files, QCoreApplication::applicationDirPath(),
                                   NativeSystem::userFolder(), NativeSystem::shippedDataFolder());
    if (!folder) {
        StartFailure::tell(m_prompter,
                           QStringLiteral("Tessaly cannot use its settings folder: %1").arg(folder.reason()));
        return false;
    }
    m_appFolder = *folder;
    return true;
}

bool TessalyApp::openSettingsFile()
{
    m_settingsFile.emplace(m_appFolder + QLatin1String(ApplicationFolder::SettingsFileName), m_files);
    // Every later save would fail for the same reason: told once, and the program does not start.
    if (const Result<> usable = m_settingsFile->usable(); !usable) {
        StartFailure::tell(m_prompter,
                           QStringLiteral("Tessaly cannot use its settings file %1").arg(usable.reason()));
        return false;
    }
    return true;
}

void TessalyApp::readSettings()
{
    // The first start also asks to be started at login; later starts leave the user's choice alone. A
    // portable copy keeps to its own folder: it may be on a stick that is gone at the next login.
    const bool portable = ApplicationFolder::isPortable(m_files, QCoreApplication::applicationDirPath());
    bool firstRun = false;
    m_settings = StartupSequence::run(*m_settingsFile, m_appFolder, m_images, m_clock, m_prompter, &firstRun);
    if (!firstRun || portable)
        return;
    if (const Result<> added = NativeSystem::addLoginStart(QCoreApplication::applicationFilePath()); !added)
        m_prompter.tell(QStringLiteral("Tessaly could not add itself to the programs started at login: %1")
                            .arg(added.reason()),
                        PromptIcon::Exclamation);
}

void TessalyApp::buildParts()
{
    m_desktop = DesktopBackendFactory::create(m_settings.backend, m_settings.command,
                                              QProcessEnvironment::systemEnvironment());
    m_cycle.emplace(m_settings, m_images, *m_settingsFile, m_appFolder, m_files, *m_desktop, m_prompter,
                    m_random, m_screen);
    // A change's buffers are as large as the screen and the photo: give them back to the system at
    // once, whoever asked for the change, so the program rests small.
    QObject::connect(&*m_cycle, &ChangeCycle::finished, &ProcessMemory::releaseFreeMemory);
    const auto change = [this](CheckedSettings::Order order) {
        m_cycle->change(order);
    };
    m_scheduler.emplace(m_settings, *m_settingsFile, m_clock, m_prompter, change);
    m_tray.emplace(m_settings, change);
    // The settings window and its dialogs are built when first shown: most starts only rest in the tray.
    m_shell.emplace([this] { return makeWindow(); }, m_images, *m_settingsFile, *m_scheduler, *m_tray,
                    m_prompter);
    m_shell->setQuit([this] { quit(); });
}

void TessalyApp::goToTray()
{
    // The icon first, so that the program is seen to be there while a change at start is made.
    m_shell->goToTray();
    // A change or save cut short leaves its temporary file; a bitmap's is as large as the screen.
    m_settingsFile->removeStaleTemporaries();
    AtomicFileWriter::removeStaleTemporaries(m_files, m_appFolder + QLatin1String(ChangeCycle::BitmapName));
}

void TessalyApp::startWork()
{
    m_commands.emplace(m_settings, m_images, *m_settingsFile, m_files, *m_cycle, *m_scheduler, *m_shell,
                       *m_tray, m_prompter, m_urlOpener);
    m_watched.emplace(m_settings, m_images, *m_settingsFile, m_files, m_folderWatcher, *m_cycle, m_prompter);
    m_commands->setWatchedFolders(*m_watched);
    // A look at a large tree leaves much freed memory behind, as a change does.
    QObject::connect(&*m_watched, &WatchedFolders::synced, &ProcessMemory::releaseFreeMemory);
    // The list saved (Activate!), or the window's edits otherwise settled: what the folders held waits no
    // more.
    QObject::connect(&*m_scheduler, &Scheduler::stateChanged, &*m_watched,
                     [this] { m_watched->listSettled(); });
    // A monitor added, removed or changed: the pictures on screen made again for it, the list not moved on.
    m_screens.emplace();
    QObject::connect(&*m_screens, &ScreenWatcher::changed, &*m_cycle, [this] { m_cycle->recompose(); });

    m_cycle->noteShownAtStart();
    m_watched->start();
    m_scheduler->startupCheck();
    m_scheduler->start();
    // Work the tray icon need not wait for, left until it is surely up: every window and message box
    // takes the program's icon in all its sizes, and what the start read and parsed is garbage now, so
    // the program rests as small as after a change.
    QTimer::singleShot(std::chrono::seconds(1), [] {
        QApplication::setWindowIcon(ProgramIcon::icon());
        ProcessMemory::releaseFreeMemory();
    });
    m_control->serve([this](const QString& command, const ControlServer::Reply& reply) {
        m_commands->run(command, reply);
    });
}

std::unique_ptr<SettingsWindow> TessalyApp::makeWindow()
{
    auto window = std::make_unique<SettingsWindow>(
        m_images, m_prompter, m_fileDialogs, m_urlOpener, m_files, m_loginStart,
        [this](SettingsWindow& built) {
            return std::make_unique<OptionDialogLauncher>(
                &built, m_settings, *m_settingsFile, m_prompter, m_fontChooser, m_volumes,
                [this, &built](const QString& folder, bool subfolders, bool keepUpToDate) {
                    built.addFolder(folder, subfolders);
                    if (const Result<> watched = keepUpToDate ? m_watched->watch(folder) : Result<>();
                        !watched)
                        m_prompter.tell(QStringLiteral("Tessaly cannot keep %1 up to date: %2")
                                            .arg(QDir::toNativeSeparators(folder), watched.reason()),
                                        PromptIcon::Exclamation);
                });
        });
    window->showStoredTotal(m_settings.total);
    window->setRememberedPlace(m_settings.windowGeometry);
    QObject::connect(window.get(), &SettingsWindow::placeChanged, [this](const QString& place) {
        if (std::exchange(m_settings.windowGeometry, place) != place)
            SettingsSaveReport::check(
                SettingsSchema::write(*m_settingsFile, m_settings, {&Settings::windowGeometry}), m_prompter);
    });
    QObject::connect(window.get(), &SettingsWindow::showRequested, &*m_cycle,
                     [this](int position) { m_cycle->showAt(position); });
    return window;
}

void TessalyApp::quit()
{
    m_cycle->stop();
    // Before --quit is answered: a copy started after the answer must not find this one.
    m_control->stopListening();
    QCoreApplication::exit(0);
}
