// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OptionDialogs.h"

#include <QPointer>

#include <functional>

class CollectionAdvice;
class FontChooser;
class LoadedImages;
class Prompter;
class QDialog;
class QWidget;
class SettingsFile;
class Volumes;
struct Settings;

/**
 * Opens each option dialog window-modal over the settings window, which owns it. A dialog is built
 * when it is opened and deletes itself once closed; while one is open, opening any brings the open
 * one to the front.
 */
class OptionDialogLauncher final : public OptionDialogs
{
public:
    /** selectEntry selects a collection entry in the settings window (after the loader appended files). */
    OptionDialogLauncher(QWidget* window, Settings& settings, SettingsFile& file, LoadedImages& images,
                         CollectionAdvice& advice, Prompter& prompter, FontChooser& fontChooser,
                         Volumes& volumes, std::function<void(int)> selectEntry);

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

    QWidget* m_window;
    Settings& m_settings;
    SettingsFile& m_file;
    LoadedImages& m_images;
    Prompter& m_prompter;
    FontChooser& m_fontChooser;
    Volumes& m_volumes;
    CollectionAdvice& m_advice;
    std::function<void(int)> m_selectEntry;
    QPointer<QDialog> m_open;
};
