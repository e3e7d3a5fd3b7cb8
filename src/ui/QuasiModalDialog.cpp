// SPDX-License-Identifier: GPL-3.0-or-later
#include "QuasiModalDialog.h"

#include "SettingsSaveReport.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QWindow>

QuasiModalDialog::QuasiModalDialog(QWidget* mainWindow, const QString& caption)
    : QWidget(nullptr, Qt::Dialog), m_mainWindow(mainWindow)
{
    setWindowTitle(caption);
    if (!m_mainWindow)
        return;
    m_mainWindow->setEnabled(false);
    move(m_mainWindow->pos());
    // Keeps the dialog above the main window on desktops that honour it.
    if (QWindow* owner = m_mainWindow->windowHandle()) {
        winId();
        windowHandle()->setTransientParent(owner);
    }
}

QuasiModalDialog::~QuasiModalDialog()
{
    // Torn down without closing (the program ends): give the window its input back, nothing more.
    if (!m_unloaded && m_mainWindow)
        m_mainWindow->setEnabled(true);
}

void QuasiModalDialog::okCancel(QAbstractButton* ok, QAbstractButton* cancel, Settings& settings,
                                SettingsFile& file, Prompter& prompter, const SettingsSchema::Fields& fields)
{
    m_cancel = cancel;
    connect(ok, &QAbstractButton::clicked, this, [this, &settings, &file, &prompter, fields] {
        SettingsSaveReport::check(SettingsSchema::write(file, settings, fields), file, prompter);
        close();
    });
    connect(cancel, &QAbstractButton::clicked, this, [this, &settings, fields, saved = settings] {
        SettingsSchema::copy(saved, settings, fields);
        close();
    });
}

void QuasiModalDialog::closeEvent(QCloseEvent* event)
{
    // Once, however the dialog closes.
    if (!std::exchange(m_unloaded, true) && m_mainWindow) {
        m_mainWindow->setEnabled(true);
        m_mainWindow->show();
        m_mainWindow->raise();
        m_mainWindow->activateWindow();
    }
    QWidget::closeEvent(event);
}

void QuasiModalDialog::keyPressEvent(QKeyEvent* event)
{
    // Closing alone would keep the abandoned edits in memory, and a later save would write them.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (m_cancel)
            m_cancel->click();
        else
            close();
        return;
    }
    QWidget::keyPressEvent(event);
}
