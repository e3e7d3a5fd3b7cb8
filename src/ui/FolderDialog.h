// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include <functional>

class CollectionAdvice;
class LoadedImages;
class Prompter;
class QComboBox;
class QFileSystemModel;
class QStringListModel;
class QTreeView;
class Volumes;

/**
 * Appends every picture file of one folder to the collection in one step. Window-modal over its
 * parent, which owns it; it deletes itself once closed.
 */
class FolderDialog : public QDialog
{
    Q_OBJECT

public:
    /** selectEntry is called with the position of the entry to select after a load. */
    FolderDialog(QWidget* parent, LoadedImages& images, CollectionAdvice& advice, Prompter& prompter,
                 Volumes& volumes, std::function<void(int)> selectEntry);

    /** The folder the file list shows, ending in "/". */
    QString filePath() const;
    /** The names the file list shows, in its order. */
    QStringList fileNames() const;
    /** Lists the pictures of the folder chosen in the tree. */
    void listFolder();
    /** Appends the listed pictures, selects the last entry and closes. */
    void load();

private:
    void showStartFolder();
    void onVolumeChanged();
    void showVolume(const QString& root, const QString& folder);
    /** Moves the folder tree to a folder; the file list follows. */
    void setFolder(const QString& folder);

    LoadedImages& m_images;
    CollectionAdvice& m_advice;
    Prompter& m_prompter;
    Volumes& m_volumes;
    std::function<void(int)> m_selectEntry;
    QFileSystemModel* m_folders;
    QStringListModel* m_files;
    QComboBox* m_volumeBox;
    QTreeView* m_folderTree;
    QString m_filePath;
    /** The volume list's entry when the dialog opened: where an unreadable volume leads back to. */
    int m_openingVolume = -1;
    bool m_recovering = false;
};
