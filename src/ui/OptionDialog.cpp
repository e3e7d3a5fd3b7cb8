// SPDX-License-Identifier: GPL-3.0-or-later
#include "OptionDialog.h"

#include "SettingsSaveReport.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QPushButton>

OptionDialog::OptionDialog(QWidget* parent, const QString& title, Settings& settings, SettingsFile& file,
                           Prompter& prompter, SettingsSchema::Fields fields)
    : QDialog(parent), m_settings(settings), m_file(file), m_prompter(prompter), m_fields(std::move(fields)),
      m_saved(settings)
{
    setWindowTitle(title);
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);
}

QDialogButtonBox* OptionDialog::okCancelColumn()
{
    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    buttons->addButton(tr("Ok"), QDialogButtonBox::AcceptRole)->setObjectName(QStringLiteral("ok"));
    buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &OptionDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &OptionDialog::reject);
    return buttons;
}

void OptionDialog::accept()
{
    SettingsSaveReport::check(SettingsSchema::write(m_file, m_settings, m_fields), m_file, m_prompter);
    QDialog::accept();
}

void OptionDialog::reject()
{
    // Closing alone would keep the abandoned edits in memory, and a later save would write them.
    SettingsSchema::copy(m_saved, m_settings, m_fields);
    QDialog::reject();
}

void OptionDialog::closeEvent(QCloseEvent* event)
{
    // The close box is neither Ok nor Cancel: the edits stay in memory, unwritten.
    if (isVisible())
        QDialog::done(Rejected);
    event->accept();
}
