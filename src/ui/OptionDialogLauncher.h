// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FolderDialog.h"
#include "OptionDialogs.h"

#include <QPointer>

#include <functional>

class FontChooser;
class OptionDialog;
class Prompter;
class QDialog;
class QWidget;
class SettingsFile;
class Volumes;
struct Settings;

/**
 * Opens each option dialog window-modal over the settings window, which owns it. A dialog is built
 * when it is opened and deletes itself once closed; while one is open, opening any brings the open
 * one to the front. What an option dialog hands back on Ok becomes the settings of the program and is
 * saved; the settings never hold a choice the user has not taken.
 */
class OptionDialogLauncher final : public OptionDialogs
{
public:
    /** addPictures adds what the folder loader gathered to the settings window's list. */
    OptionDialogLauncher(QWidget* window, Settings& settings, SettingsFile& file, Prompter& prompter,
                         FontChooser& fontChooser, Volumes& volumes, FolderDialog::AddPictures addPictures);

    void openTimer() override;
    void openDisplay() override;
    void openMode() override;
    void openCaption() override;
    void openMultiple() override;

    /** The dialog open at the moment, if any. */
    QDialog* openDialog() const;

private:
    /** Builds a dialog with `make` and opens it, unless one is open: that one comes to the front. */
    void open(const std::function<QDialog*()>& make);
    /** The values the dialog hands back taken into the settings and saved; a failed save is told. */
    void commit(const OptionDialog& dialog);

    QWidget* m_window;
    Settings& m_settings;
    SettingsFile& m_file;
    Prompter& m_prompter;
    FontChooser& m_fontChooser;
    Volumes& m_volumes;
    FolderDialog::AddPictures m_addPictures;
    QPointer<QDialog> m_open;
};
