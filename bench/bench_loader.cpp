// SPDX-License-Identifier: GPL-3.0-or-later
// How long the multiple-file loader holds the window for a folder of 20,000 pictures: listing the
// folder when the dialog opens on it, and gathering, looking into and appending every file (skipping those
// listed already) with "Load" while a list view shows the collection. Prints figures; never fails on time.
#include "FolderDialog.h"
#include "LoadedImages.h"
#include "NativeSystem.h"
#include "PictureCollector.h"
#include "Prompter.h"
#include "Volumes.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QTemporaryDir>

#include <cstdio>

namespace {

class SilentPrompter final : public Prompter
{
public:
    PromptAnswer ask(const QString&, PromptButtons, PromptIcon) override { return PromptAnswer::Ok; }
};

class OneVolume final : public Volumes
{
public:
    explicit OneVolume(QString root) : m_root(std::move(root)) {}
    QList<Volume> list() override { return {{m_root, m_root}}; }
    bool isReady(const QString&) override { return true; }

private:
    QString m_root;
};

double ms(QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    constexpr int files = 20000;
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/pictures/");
    QDir().mkpath(folder);
    for (int i = 0; i < files; ++i) {
        // The smallest GIF: each is opened and its first bytes read, as a real folder's are.
        QFile file(folder + QStringLiteral("IMG_%1.gif").arg(i, 5, 10, QLatin1Char('0')));
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(
                QByteArray::fromBase64("R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAICRAEAOw==")) <= 0)
            return 1;
    }
    QDir::setCurrent(folder);

    for (int run = 1; run <= 3; ++run) {
        LoadedImages images;
        QWidget mainWindow;
        QListView view(&mainWindow);
        view.setModel(&images);
        view.setUniformItemSizes(true);
        mainWindow.show();
        SilentPrompter prompter;
        OneVolume volume(dir.path() + QLatin1Char('/'));

        QElapsedTimer timer;
        timer.start();
        FileSystem& files = NativeSystem::fileSystem();
        auto* dialog = new FolderDialog(&mainWindow, prompter, volume,
                                        [&view, &images, &files](const QString& path, bool subfolders, bool) {
                                            images.appendMissing(
                                                PictureCollector::collect(files, {path}, subfolders).pictures,
                                                [&files](const QString& picture) {
                                                    return PictureCollector::contentProblem(files, picture);
                                                });
                                            view.setCurrentIndex(images.index(images.count() - 1));
                                        });
        dialog->show();
        const double opening = ms(timer);
        const qsizetype listed = dialog->fileNames().size();

        timer.restart();
        dialog->listFolder();
        const double relisting = ms(timer);

        timer.restart();
        dialog->load();
        QCoreApplication::processEvents();
        const double loading = ms(timer);

        std::printf("run %d: %lld files listed; open and list %.1f ms (listing alone %.1f ms); Load (append, "
                    "select, repaint) %.1f ms; "
                    "collection %d\n",
                    run, static_cast<long long>(listed), opening, relisting, loading, images.count());
    }
    return 0;
}
