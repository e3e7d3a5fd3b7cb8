// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include <functional>

class Prompter;
class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QStringListModel;
class QTreeView;
class Volumes;

/**
 * Gathers every picture file of one folder, and of its subfolders unless the user unticks them, for
 * the collection in one step. Window-modal over its parent, which owns it; it deletes itself once
 * closed.
 */
class FolderDialog : public QDialog
{
    Q_OBJECT

public:
    /**
     * Takes the folder to load, whether its subfolders go too and whether the list is to follow it from now
     * on; adds their pictures and tells the user.
     */
    using AddPictures = std::function<void(const QString& folder, bool subfolders, bool keepUpToDate)>;

    FolderDialog(QWidget* parent, Prompter& prompter, Volumes& volumes, AddPictures addPictures);

    /** The folder the file list shows, ending in "/". */
    QString filePath() const;
    /** The names the file list shows, in its order. */
    QStringList fileNames() const;
    /** Lists the pictures of the folder chosen in the tree. */
    void listFolder();
    /** Hands over the folder to load, and closes. */
    void load();

private:
    void showStartFolder();
    void onVolumeChanged();
    void showVolume(const QString& root, const QString& folder);
    /** Moves the folder tree to a folder; the file list follows. */
    void setFolder(const QString& folder);

    Prompter& m_prompter;
    Volumes& m_volumes;
    AddPictures m_addPictures;
    QCheckBox* m_subfolders;
    QCheckBox* m_keepUpToDate;
    QFileSystemModel* m_folders;
    QStringListModel* m_files;
    QComboBox* m_volumeBox;
    QTreeView* m_folderTree;
    QString m_filePath;
    /** The volume list's entry when the dialog opened: where an unreadable volume leads back to. */
    int m_openingVolume = -1;
    bool m_recovering = false;
};
