// SPDX-License-Identifier: GPL-3.0-or-later
// Shows one dialog on its own, with the shipped settings, for looking at it (scripts/screenshot-dialogs.sh).
#include "FontChooserDialog.h"
#include "MessageBoxPrompter.h"
#include "MountedVolumes.h"
#include "OptionDialogLauncher.h"
#include "PosixFileSystem.h"
#include "QtFontChooser.h"
#include "Settings.h"
#include "SettingsFile.h"
#include "SettingsSchema.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString which = app.arguments().value(1);
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("tessdesk.ini"));
    QFile::copy(QStringLiteral(TESSALY_SOURCE_DIR "/data/tessdesk.ini"), ini);
    QFile::setPermissions(ini, QFile::ReadOwner | QFile::WriteOwner);
    SettingsFile file(ini, PosixFileSystem::instance());
    Settings settings = SettingsSchema::readAll(file);
    MessageBoxPrompter prompter;
    QtFontChooser fonts;
    MountedVolumes volumes;
    QWidget mainWindow;
    mainWindow.move(20, 20);
    OptionDialogLauncher launcher(&mainWindow, settings, file, prompter, fonts, volumes,
                                  [](const QString&, bool, bool) {});

    FontChooserDialog fontDialog;
    if (which == u"timer")
        launcher.openTimer();
    else if (which == u"display")
        launcher.openDisplay();
    else if (which == u"mode")
        launcher.openMode();
    else if (which == u"caption")
        launcher.openCaption();
    else if (which == u"multiple")
        launcher.openMultiple();
    else if (which == u"font") {
        fontDialog.setChoice({settings.newFontName, 16, true, false, false, false, 0xffffff});
        fontDialog.move(20, 20);
        fontDialog.show();
    } else {
        std::fprintf(stderr, "usage: dialog_gallery timer|display|mode|caption|multiple|font\n");
        return 2;
    }
    return app.exec();
}
