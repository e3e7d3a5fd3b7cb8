// SPDX-License-Identifier: GPL-3.0-or-later
#include "OptionDialogLauncher.h"

#include "CaptionDialog.h"
#include "DisplayDialog.h"
#include "ModeDialog.h"
#include "SettingsSaveReport.h"
#include "TimerDialog.h"

OptionDialogLauncher::OptionDialogLauncher(QWidget* window, Settings& settings, SettingsFile& file,
                                           Prompter& prompter, FontChooser& fontChooser, Volumes& volumes,
                                           FolderDialog::AddPictures addPictures)
    : m_window(window), m_settings(settings), m_file(file), m_prompter(prompter), m_fontChooser(fontChooser),
      m_volumes(volumes), m_addPictures(std::move(addPictures))
{}

void OptionDialogLauncher::openTimer()
{
    open([this] { return new TimerDialog(m_window, m_settings); });
}

void OptionDialogLauncher::openDisplay()
{
    open([this] { return new DisplayDialog(m_window, m_settings); });
}

void OptionDialogLauncher::openMode()
{
    open([this] { return new ModeDialog(m_window, m_settings); });
}

void OptionDialogLauncher::openCaption()
{
    open([this] { return new CaptionDialog(m_window, m_settings, m_fontChooser); });
}

void OptionDialogLauncher::openMultiple()
{
    open([this] { return new FolderDialog(m_window, m_prompter, m_volumes, m_addPictures); });
}

QDialog* OptionDialogLauncher::openDialog() const
{
    return m_open;
}

void OptionDialogLauncher::open(const std::function<QDialog*()>& make)
{
    if (m_open) {
        m_open->raise();
        m_open->activateWindow();
        return;
    }
    m_open = make();
    if (auto* options = qobject_cast<OptionDialog*>(m_open.data()))
        QObject::connect(options, &QDialog::accepted, options, [this, options] { commit(*options); });
    m_open->open();
}

void OptionDialogLauncher::commit(const OptionDialog& dialog)
{
    SettingsSchema::copy(dialog.edited(), m_settings, dialog.fields());
    // A save that fails is told; the choice holds for this run all the same.
    SettingsSaveReport::check(SettingsSchema::write(m_file, m_settings, dialog.fields()), m_prompter);
}
