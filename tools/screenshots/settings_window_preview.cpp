// SPDX-License-Identifier: GPL-3.0-or-later
// Shows the settings window filled with the shipped pictures and the about box beside it, for
// looking at the layout (scripts/screenshot-settings-window.sh). Not a test: it runs until killed.
#include "AboutDialog.h"
#include "FakeFileDialogs.h"
#include "FakeLoginStart.h"
#include "FakePrompter.h"
#include "FakeUrlOpener.h"
#include "LoadedImages.h"
#include "PosixFileSystem.h"
#include "RecordingOptionDialogs.h"
#include "SettingsWindow.h"

#include <QApplication>
#include <QStatusBar>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(TESSALY_VERSION));
    LoadedImages images;
    // A folder holding copies of the shipped pictures may stand in for the source tree's, so that a
    // published screenshot shows an ordinary path.
    const QString pictures = qEnvironmentVariable("TESSALY_PREVIEW_PICTURES");
    const QString data = pictures.isEmpty() ? QStringLiteral(TESSALY_SOURCE_DIR "/data/") : pictures + u'/';
    images.append(data + QStringLiteral("image1.gif"), QStringLiteral("Triangles at dusk"));
    images.append(data + QStringLiteral("image2.gif"));
    images.append(QStringLiteral("/home/someone/Pictures/Holidays/2024/a rather long folder name/beach.jpg"));
    FakePrompter prompter;
    FakeFileDialogs fileDialogs;
    FakeUrlOpener urlOpener;
    FakeLoginStart loginStart;
    QStringList openedDialogs;
    SettingsWindow window(
        images, prompter, fileDialogs, urlOpener, PosixFileSystem::instance(), loginStart,
        [&](SettingsWindow&) { return std::make_unique<RecordingOptionDialogs>(openedDialogs); });
    window.showCount();
    window.move(20, 20);
    window.show();
    window.selectEntry(0);
    // The longest help text, to see that it fits.
    window.statusBar()->showMessage(QStringLiteral(" Caption: Text to display with image below."));
    // The about box beside it, on a stand-in so that it covers nothing of the settings window.
    QWidget standIn;
    standIn.setGeometry(window.frameGeometry().right() + 20, 20, 1, 1);
    auto* about = new AboutDialog(&standIn, urlOpener);
    about->move(standIn.pos());
    about->show();
    return app.exec();
}
