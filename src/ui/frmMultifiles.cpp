// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmMultifiles.h"

#include "CollectionAdvice.h"

#include "DialogParts.h"
#include "LoadedImages.h"
#include "PictureFormats.h"
#include "Prompter.h"
#include "Volumes.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListView>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QStringListModel>
#include <QTreeView>

namespace {

QString withSlash(QString path)
{
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

} // namespace

frmMultifiles::frmMultifiles(QWidget* mainWindow, LoadedImages& images, CollectionAdvice& advice,
                             Prompter& prompter, Volumes& volumes, std::function<void(int)> selectEntry)
    : QuasiModalDialog(mainWindow, QStringLiteral("Load Multiple Files")),
      fraFileControls(
          DialogParts::named(new QGroupBox(QStringLiteral("Files to be loaded"), this), "fraFileControls")),
      filFilenames(DialogParts::named(new QListView(fraFileControls), "filFilenames")),
      drvDrives(DialogParts::named(new QComboBox(fraFileControls), "drvDrives")),
      dirDirectories(DialogParts::named(new QTreeView(fraFileControls), "dirDirectories")),
      Command1(DialogParts::button(fraFileControls, "Command1", QStringLiteral("Load"))),
      cmdQuit(DialogParts::button(fraFileControls, "cmdQuit", QStringLiteral("Cancel"))), m_images(images),
      m_advice(advice), m_prompter(prompter), m_volumes(volumes), m_selectEntry(std::move(selectEntry)),
      m_folders(new QFileSystemModel(this)), m_files(new QStringListModel(this))
{
    filFilenames->setModel(m_files);
    filFilenames->setEditTriggers(QAbstractItemView::NoEditTriggers);
    filFilenames->setUniformItemSizes(true);
    m_folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_folders->setReadOnly(true);
    dirDirectories->setModel(m_folders);
    dirDirectories->setHeaderHidden(true);
    for (int column = 1; column < m_folders->columnCount(); ++column)
        dirDirectories->hideColumn(column);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command1);
    buttons->addWidget(cmdQuit);
    auto* grid = new QGridLayout(fraFileControls);
    grid->addWidget(filFilenames, 0, 0, 3, 1);
    grid->addWidget(drvDrives, 0, 1);
    grid->addWidget(dirDirectories, 1, 1);
    grid->addLayout(buttons, 2, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(fraFileControls);
    resize(std::max(twips(5100) + 120, layout->sizeHint().width()),
           std::max(twips(3570) + 60, layout->sizeHint().height()));
    DialogParts::tabOrder({filFilenames, drvDrives, dirDirectories, Command1, cmdQuit});

    connect(drvDrives, &QComboBox::currentIndexChanged, this, &frmMultifiles::drvDrives_Change);
    connect(dirDirectories->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &frmMultifiles::dirDirectories_Change);
    connect(Command1, &QPushButton::clicked, this, &frmMultifiles::Command1_Click);
    connect(cmdQuit, &QPushButton::clicked, this, &frmMultifiles::close);
    Form_Load();
}

void frmMultifiles::Form_Load()
{
    // A program started from a menu has / as its current folder; the user's pictures are elsewhere.
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    const QString current = withSlash(QFileInfo(pictures).isDir() ? pictures : QDir::homePath());
    const QSignalBlocker quiet(drvDrives);
    int best = 0;
    qsizetype longest = -1;
    for (const Volumes::Volume& volume : m_volumes.list()) {
        const QString root = withSlash(volume.root);
        drvDrives->addItem(volume.label, root);
        // The folder's volume is the one with the longest root that leads to it.
        if (current.startsWith(root) && root.size() > longest) {
            best = drvDrives->count() - 1;
            longest = root.size();
        }
    }
    if (drvDrives->count() == 0)
        return;
    drvDrives->setCurrentIndex(best);
    m_openingDrive = best;
    const QString root = drvDrives->itemData(best).toString();
    showVolume(root, current.startsWith(root) ? current : root);
}

void frmMultifiles::drvDrives_Change()
{
    const QString root = drvDrives->currentData().toString();
    if (m_volumes.isReady(root)) {
        showVolume(root, root);
        return;
    }
    m_prompter.tell(QStringLiteral("Device is not ready"), PromptIcon::Critical);
    // Back to the volume of the moment of opening, which runs this handler again. Should that one
    // fail too, the lists stay where they are rather than bouncing for ever.
    if (m_recovering || m_openingDrive < 0 || drvDrives->currentIndex() == m_openingDrive)
        return;
    m_recovering = true;
    drvDrives->setCurrentIndex(m_openingDrive);
    m_recovering = false;
}

void frmMultifiles::showVolume(const QString& root, const QString& folder)
{
    m_folders->setRootPath(root);
    // The volume's own folder is the tree's single top entry.
    const QModelIndex top = m_folders->index(root);
    const QModelIndex above = top.parent();
    dirDirectories->setRootIndex(above);
    for (int row = 0; row < m_folders->rowCount(above); ++row)
        dirDirectories->setRowHidden(row, above, row != top.row());
    disconnect(m_folders, &QFileSystemModel::rowsInserted, this, nullptr);
    connect(m_folders, &QFileSystemModel::rowsInserted, this, [this, root](const QModelIndex& parent) {
        if (parent != dirDirectories->rootIndex())
            return;
        const int keep = m_folders->index(root).row();
        for (int row = 0; row < m_folders->rowCount(parent); ++row)
            dirDirectories->setRowHidden(row, parent, row != keep);
    });
    setFolder(folder);
}

void frmMultifiles::setFolder(const QString& folder)
{
    const QModelIndex index = m_folders->index(folder);
    if (dirDirectories->currentIndex() == index)
        dirDirectories_Change();
    else
        dirDirectories->setCurrentIndex(index);
    for (QModelIndex above = index.parent(); above.isValid(); above = above.parent())
        dirDirectories->expand(above);
    // The folder model reads folders in the background, and each folder read above this one moves
    // it: bring it back into view as they come in.
    const QString path = withSlash(m_folders->filePath(index));
    disconnect(m_folders, &QFileSystemModel::directoryLoaded, this, nullptr);
    connect(m_folders, &QFileSystemModel::directoryLoaded, this, [this, path](const QString& loaded) {
        if (path.startsWith(withSlash(loaded)))
            dirDirectories->scrollTo(m_folders->index(path), QAbstractItemView::PositionAtCenter);
    });
    dirDirectories->scrollTo(index);
}

void frmMultifiles::dirDirectories_Change()
{
    m_filePath = withSlash(m_folders->filePath(dirDirectories->currentIndex()));
    // One directory read, names only: the patterns match without regard to letter case, as the
    // file systems the pictures often come from do.
    QStringList names;
    QDirIterator entries(m_filePath, PictureFormats::patterns(), QDir::Files);
    while (entries.hasNext()) {
        entries.next();
        names.append(entries.fileName());
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    m_files->setStringList(names);
}

QString frmMultifiles::filePath() const
{
    return m_filePath;
}

QStringList frmMultifiles::fileNames() const
{
    return m_files->stringList();
}

void frmMultifiles::Command1_Click()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QStringList names = fileNames();
    QStringList paths;
    QStringList refused;
    paths.reserve(names.size());
    for (const QString& name : names)
        (LoadedImages::canStore(name) ? paths : refused).append(m_filePath + name);
    const int loaded = m_images.AppendPaths(paths);
    if (m_images.Count() > 0 && m_selectEntry)
        m_selectEntry(m_images.Count() - 1);
    QApplication::restoreOverrideCursor();

    for (const QString& path : std::as_const(refused))
        m_prompter.tell(LoadedImages::cannotStoreText(path), PromptIcon::Exclamation);
    if (loaded < paths.size())
        m_prompter.tell(LoadedImages::fullListText(loaded, static_cast<int>(paths.size())),
                        PromptIcon::Exclamation);
    m_advice.afterAdding(m_images.Count(), m_prompter);
    close();
}
