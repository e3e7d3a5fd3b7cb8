// SPDX-License-Identifier: GPL-3.0-or-later
#include "OptionDialogLauncher.h"

#include "frmCaption.h"
#include "frmDisplay.h"
#include "frmMode.h"
#include "frmMultifiles.h"
#include "frmTimer.h"

OptionDialogLauncher::OptionDialogLauncher(QWidget* mainWindow, Settings& settings, SettingsFile& file,
                                           LoadedImages& images, CollectionAdvice& advice, Prompter& prompter,
                                           FontChooser& fontChooser, Volumes& volumes,
                                           std::function<void(int)> selectEntry)
    : m_mainWindow(mainWindow), m_settings(settings), m_file(file), m_images(images), m_prompter(prompter),
      m_fontChooser(fontChooser), m_volumes(volumes), m_advice(advice), m_selectEntry(std::move(selectEntry))
{}

OptionDialogLauncher::~OptionDialogLauncher()
{
    // The dialogs refer to what this launcher was given; none may outlive it.
    delete m_open;
}

void OptionDialogLauncher::openTimer()
{
    open([this] { return new frmTimer(m_mainWindow, m_settings, m_file, m_prompter); });
}

void OptionDialogLauncher::openDisplay()
{
    open([this] { return new frmDisplay(m_mainWindow, m_settings, m_file, m_prompter); });
}

void OptionDialogLauncher::openMode()
{
    open([this] { return new frmMode(m_mainWindow, m_settings, m_file, m_prompter); });
}

void OptionDialogLauncher::openCaption()
{
    open([this] { return new frmCaption(m_mainWindow, m_settings, m_file, m_prompter, m_fontChooser); });
}

void OptionDialogLauncher::openMultiple()
{
    open([this] {
        return new frmMultifiles(m_mainWindow, m_images, m_advice, m_prompter, m_volumes, m_selectEntry);
    });
}

QWidget* OptionDialogLauncher::openDialog() const
{
    return m_open;
}

void OptionDialogLauncher::open(const std::function<QWidget*()>& make)
{
    // One dialog at a time: the main window is disabled while one is open.
    if (m_open) {
        m_open->raise();
        m_open->activateWindow();
        return;
    }
    m_open = make();
    m_open->setAttribute(Qt::WA_DeleteOnClose);
    m_open->show();
}
