// SPDX-License-Identifier: GPL-3.0-or-later
#include "OptionDialog.h"

#include <QDialogButtonBox>
#include <QPushButton>

OptionDialog::OptionDialog(QWidget* parent, const QString& title, const Settings& values,
                           SettingsSchema::Fields fields)
    : QDialog(parent), m_fields(std::move(fields)), m_edited(values)
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
