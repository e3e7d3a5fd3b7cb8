// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SettingsSchema.h"

#include <QDialog>

class QDialogButtonBox;
class Prompter;
class SettingsFile;

/**
 * A dialog that edits some settings in place while it is open: Ok writes them (a failed save is told
 * with the file and the reason), Cancel and Escape put back the values they held at opening. It is
 * window-modal over its parent, which owns it, and deletes itself once closed.
 */
class OptionDialog : public QDialog
{
    Q_OBJECT

public:
    void accept() override;
    void reject() override;

protected:
    OptionDialog(QWidget* parent, const QString& title, Settings& settings, SettingsFile& file,
                 Prompter& prompter, SettingsSchema::Fields fields);

    /** Ok above Cancel, as the dialogs' right-hand column holds them. */
    QDialogButtonBox* okCancelColumn();

    void closeEvent(QCloseEvent* event) override;

private:
    Settings& m_settings;
    SettingsFile& m_file;
    Prompter& m_prompter;
    const SettingsSchema::Fields m_fields;
    const Settings m_saved;
};
