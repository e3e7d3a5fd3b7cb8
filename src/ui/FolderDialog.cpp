// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderDialog.h"

#include "DialogParts.h"
#include "FolderPath.h"
#include "PictureFormats.h"
#include "Prompter.h"
#include "Volumes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QListView>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QStringListModel>
#include <QTreeView>
#include <QVBoxLayout>

FolderDialog::FolderDialog(QWidget* parent, Prompter& prompter, Volumes& volumes, AddPictures addPictures)
    : QDialog(parent), m_prompter(prompter), m_volumes(volumes), m_addPictures(std::move(addPictures)),
      m_folders(new QFileSystemModel(this)), m_files(new QStringListModel(this))
{
    setWindowTitle(QStringLiteral("Load Multiple Files"));
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* group = DialogParts::named(new QGroupBox(QStringLiteral("Files to be loaded"), this), "filesGroup");
    auto* fileList = DialogParts::named(new QListView(group), "fileList");
    fileList->setModel(m_files);
    fileList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fileList->setUniformItemSizes(true);
    m_volumeBox = DialogParts::named(new QComboBox(group), "volumeBox");
    m_folderTree = DialogParts::named(new QTreeView(group), "folderTree");
    m_folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_folders->setReadOnly(true);
    m_folderTree->setModel(m_folders);
    m_folderTree->setHeaderHidden(true);
    for (int column = 1; column < m_folders->columnCount(); ++column)
        m_folderTree->hideColumn(column);
    // Photos are mostly kept in folders by year or event: a folder's own files are often none.
    m_subfolders =
        DialogParts::named(new QCheckBox(QStringLiteral("Include &subfolders"), group), "subfoldersBox");
    m_subfolders->setChecked(true);
    m_keepUpToDate = DialogParts::named(new QCheckBox(QStringLiteral("&Keep this folder up to date"), group),
                                        "keepUpToDateBox");
    m_keepUpToDate->setChecked(true);
    auto* buttons = new QDialogButtonBox(group);
    buttons->addButton(QStringLiteral("Load"), QDialogButtonBox::AcceptRole)
        ->setObjectName(QStringLiteral("loadButton"));
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("cancelButton"));

    auto* grid = new QGridLayout(group);
    grid->addWidget(fileList, 0, 0, 5, 1);
    grid->addWidget(m_volumeBox, 0, 1);
    grid->addWidget(m_folderTree, 1, 1);
    grid->addWidget(m_subfolders, 2, 1);
    grid->addWidget(m_keepUpToDate, 3, 1);
    grid->addWidget(buttons, 4, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    DialogParts::openAt(this, QSize(460, 320));

    connect(m_volumeBox, &QComboBox::currentIndexChanged, this, &FolderDialog::onVolumeChanged);
    connect(m_folderTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &FolderDialog::listFolder);
    connect(buttons, &QDialogButtonBox::accepted, this, &FolderDialog::load);
    connect(buttons, &QDialogButtonBox::rejected, this, &FolderDialog::reject);
    showStartFolder();
}

void FolderDialog::showStartFolder()
{
    // A program started from a menu has / as its current folder; the user's pictures are elsewhere.
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    const QString current =
        FolderPath::withTrailingSeparator(QFileInfo(pictures).isDir() ? pictures : QDir::homePath());
    const QSignalBlocker quiet(m_volumeBox);
    int best = 0;
    qsizetype longest = -1;
    for (const Volumes::Volume& volume : m_volumes.list()) {
        const QString root = FolderPath::withTrailingSeparator(volume.root);
        m_volumeBox->addItem(volume.label, root);
        // The folder's volume is the one with the longest root that leads to it.
        if (current.startsWith(root) && root.size() > longest) {
            best = m_volumeBox->count() - 1;
            longest = root.size();
        }
    }
    if (m_volumeBox->count() == 0)
        return;
    m_volumeBox->setCurrentIndex(best);
    m_openingVolume = best;
    const QString root = m_volumeBox->itemData(best).toString();
    showVolume(root, current.startsWith(root) ? current : root);
}

void FolderDialog::onVolumeChanged()
{
    const QString root = m_volumeBox->currentData().toString();
    if (m_volumes.isReady(root)) {
        showVolume(root, root);
        return;
    }
    m_prompter.tell(QStringLiteral("Device is not ready"), PromptIcon::Critical);
    // Back to the volume of the moment of opening, which runs this handler again. Should that one
    // fail too, the lists stay where they are rather than bouncing for ever.
    if (m_recovering || m_openingVolume < 0 || m_volumeBox->currentIndex() == m_openingVolume)
        return;
    m_recovering = true;
    m_volumeBox->setCurrentIndex(m_openingVolume);
    m_recovering = false;
}

void FolderDialog::showVolume(const QString& root, const QString& folder)
{
    m_folders->setRootPath(root);
    // The volume's own folder is the tree's single top entry.
    const QModelIndex top = m_folders->index(root);
    const QModelIndex above = top.parent();
    m_folderTree->setRootIndex(above);
    for (int row = 0; row < m_folders->rowCount(above); ++row)
        m_folderTree->setRowHidden(row, above, row != top.row());
    disconnect(m_folders, &QFileSystemModel::rowsInserted, this, nullptr);
    connect(m_folders, &QFileSystemModel::rowsInserted, this, [this, root](const QModelIndex& parent) {
        if (parent != m_folderTree->rootIndex())
            return;
        const int keep = m_folders->index(root).row();
        for (int row = 0; row < m_folders->rowCount(parent); ++row)
            m_folderTree->setRowHidden(row, parent, row != keep);
    });
    setFolder(folder);
}

void FolderDialog::setFolder(const QString& folder)
{
    const QModelIndex index = m_folders->index(folder);
    if (m_folderTree->currentIndex() == index)
        listFolder();
    else
        m_folderTree->setCurrentIndex(index);
    for (QModelIndex above = index.parent(); above.isValid(); above = above.parent())
        m_folderTree->expand(above);
    // The folder model reads folders in the background, and each folder read above this one moves
    // it: bring it back into view as they come in.
    const QString path = FolderPath::withTrailingSeparator(m_folders->filePath(index));
    disconnect(m_folders, &QFileSystemModel::directoryLoaded, this, nullptr);
    connect(m_folders, &QFileSystemModel::directoryLoaded, this, [this, path](const QString& loaded) {
        if (path.startsWith(FolderPath::withTrailingSeparator(loaded)))
            m_folderTree->scrollTo(m_folders->index(path), QAbstractItemView::PositionAtCenter);
    });
    m_folderTree->scrollTo(index);
}

void FolderDialog::listFolder()
{
    m_filePath = FolderPath::withTrailingSeparator(m_folders->filePath(m_folderTree->currentIndex()));
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

QString FolderDialog::filePath() const
{
    return m_filePath;
}

QStringList FolderDialog::fileNames() const
{
    return m_files->stringList();
}

void FolderDialog::load()
{
    if (m_addPictures)
        m_addPictures(m_filePath, m_subfolders->isChecked(), m_keepUpToDate->isChecked());
    accept();
}
