// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "QuasiModalDialog.h"

#include <functional>

class CollectionAdvice;
class LoadedImages;
class Prompter;
class QComboBox;
class QFileSystemModel;
class QGroupBox;
class QListView;
class QPushButton;
class QStringListModel;
class QTreeView;
class Volumes;

/** Appends every picture file of one folder to the collection in one step. */
class frmMultifiles : public QuasiModalDialog
{
    Q_OBJECT

public:
    /** selectEntry is called with the position of the entry to select after a load. */
    frmMultifiles(QWidget* mainWindow, LoadedImages& images, CollectionAdvice& advice, Prompter& prompter,
                  Volumes& volumes, std::function<void(int)> selectEntry);

    /** The folder the file list shows, ending in "/". */
    QString filePath() const;
    /** The names the file list shows, in its order. */
    QStringList fileNames() const;
    void drvDrives_Change();
    void dirDirectories_Change();
    void Command1_Click();

    QGroupBox* fraFileControls;
    QListView* filFilenames;
    QComboBox* drvDrives;
    QTreeView* dirDirectories;
    QPushButton* Command1;
    QPushButton* cmdQuit;

private:
    void Form_Load();
    void showVolume(const QString& root, const QString& folder);
    /** Moves the folder list to a folder; the file list follows. */
    void setFolder(const QString& folder);

    LoadedImages& m_images;
    CollectionAdvice& m_advice;
    Prompter& m_prompter;
    Volumes& m_volumes;
    std::function<void(int)> m_selectEntry;
    QFileSystemModel* m_folders;
    QStringListModel* m_files;
    QString m_filePath;
    /** The drive list's entry when the dialog opened: where an unreadable volume leads back to. */
    int m_openingDrive = -1;
    bool m_recovering = false;
};
