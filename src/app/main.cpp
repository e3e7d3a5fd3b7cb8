// SPDX-License-Identifier: GPL-3.0-or-later
// Builds the real platform objects and wires the layers.
#include "core/ApplicationFolder.h"
#include "core/LoadedImages.h"
#include "core/SettingsFile.h"
#include "core/SingleInstance.h"
#include "core/StartupSequence.h"
#include "platform/SystemClock.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <cstdio>

namespace {

/** Qt would abort with a toolkit error; say plainly what is missing instead. */
bool displayAvailable()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

/** The shipped data: share/tessaly beside the program's bin/, else where it was installed. */
QString installedDataDir()
{
    const QString beside = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath("../share/tessaly");
    if (QFileInfo::exists(beside + QStringLiteral("/tessdesk.ini")))
        return QDir::cleanPath(beside);
    return QStringLiteral(TESSALY_DATA_DIR);
}

} // namespace

int main(int argc, char* argv[])
{
    if (!displayAvailable()) {
        std::fputs("Tessaly needs a graphical desktop and none was found; to try it without one, run it "
                    "under Xvfb: xvfb-run -a tessaly\n",
                    stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaly"));
    QApplication::setApplicationVersion(QStringLiteral(TESSALY_VERSION));
    QApplication::setQuitOnLastWindowClosed(true);

    SingleInstance instance(SingleInstance::defaultLockPath());
    if (!instance.isFirst())
        return 0;

    QString error;
    const QString appFolder = ApplicationFolder::resolve(
        QCoreApplication::applicationDirPath(),
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation), installedDataDir(), &error);
    if (appFolder.isEmpty()) {
        std::fprintf(stderr, "Tessaly cannot use its settings folder: %s\n", qPrintable(error));
        return 1;
    }

    SystemClock clock;
    const QString settingsPath = appFolder + QLatin1String(ApplicationFolder::SettingsFileName);
    SettingsFile::removeStaleTemporaries(settingsPath);
    SettingsFile settingsFile(settingsPath);
    LoadedImages images;
    Settings settings = StartupSequence::run(settingsFile, appFolder, images, clock);

    frmMain window(images);
    window.show();
    return app.exec();
}
