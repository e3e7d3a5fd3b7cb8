// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SettingsSchema.h"

#include <QDialog>

class QDialogButtonBox;

/**
 * A dialog that edits a copy of some settings: its controls change the copy alone, so that nothing
 * else in the program acts on a choice the user has not taken yet. Ok hands the copy back (accepted(),
 * then edited()) for the caller to commit; Cancel, Escape and the close box drop it. It is window-modal
 * over its parent, which owns it, and deletes itself once closed.
 */
class OptionDialog : public QDialog
{
    Q_OBJECT

public:
    /** The values as the user left them: after Ok, what the caller commits. */
    const Settings& edited() const { return m_edited; }
    /** The settings this dialog sets, in the order they are written. */
    const SettingsSchema::Fields& fields() const { return m_fields; }

protected:
    /** Edits a copy of `values`. */
    OptionDialog(QWidget* parent, const QString& title, const Settings& values,
                 SettingsSchema::Fields fields);

    /** The copy the controls edit. */
    Settings& values() { return m_edited; }
    /** Ok above Cancel, as the dialogs' right-hand column holds them. */
    QDialogButtonBox* okCancelColumn();

private:
    const SettingsSchema::Fields m_fields;
    Settings m_edited;
};
